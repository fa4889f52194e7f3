#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::tracker {

// The session tracker files of one day sit beside its day file:
// yyyy/LKLTmmdd.log gives yyyy/LKLTmmdd.lkmus (one line per visitor) and
// yyyy/LKLTmmdd.lkdus (one line per page or image request). Both are 8-bit
// text with CR LF line ends, fields separated by commas (TrackerLine.h).
inline constexpr std::string_view kSummaryExtension = ".lkmus";
inline constexpr std::string_view kDetailExtension = ".lkdus";

// The day file's path with its extension replaced.
std::string summaryPathFor(const std::string& dayFile);
std::string detailPathFor(const std::string& dayFile);

// One visitor: everything one client did on one day. The text fields are
// as written; times are "hh:mm:ss" or "-", duration seconds or "-".
struct VisitorSummary {
    std::string date;
    std::string host; // the cached host name, or the client address
    std::string client;
    long long hits = 0;
    long long pages = 0;
    std::string firstTime;
    std::string lastTime;
    std::string duration;
    std::string firstPage;
    std::string lastPage;
    std::string kilobytes;
};

// One page or image request of a visitor.
struct RequestDetail {
    std::string date;
    std::string host;
    std::string client;
    std::string time;
    std::string url;
    std::string referrer;
    std::string server;
    std::string status;
    std::string bytes;
};

// Field lists in file order, and the lines they make.
std::vector<std::string> summaryFields(const VisitorSummary& visitor);
std::vector<std::string> detailFields(const RequestDetail& request);
// A line with fewer fields leaves the missing ones empty (counts 0); extra
// fields are ignored.
VisitorSummary parseSummaryLine(std::string_view line);
RequestDetail parseDetailLine(std::string_view line);

// A tracked day of a year: its month, day and summary file.
struct TrackedDay {
    int month = 0;
    int day = 0;
    std::string summaryPath;
};

// The year folders of a web folder: sub-folders whose names are four
// digits, in ascending order. A missing folder lists none.
std::vector<int> yearFolders(const std::string& webFolder);

// The tracked days of one year folder, in date order: every "*.lkmus" file
// whose name without extension has 8 characters, the last four (mmdd)
// forming a valid date of that year. Of two files for one day the one
// listed last by name is taken.
std::vector<TrackedDay> trackedDays(const std::string& webFolder, int year);

// The year folders that hold at least one tracked day.
std::vector<int> trackedYears(const std::string& webFolder);

// A day's visitors and requests as the files hold them (file order: sorted
// by date, host and client; requests grouped by visitor, in time order).
struct TrackerDay {
    std::vector<VisitorSummary> visitors;
    std::vector<RequestDetail> requests;
};

// Loads both files of a day, given its summary path (or its day file). A
// missing detail file gives no requests. Throws Error when the summary file
// cannot be read.
TrackerDay loadTrackerDay(const std::string& summaryPath);
// The same, calling afterLine with the length of every line read (summary
// lines first), so a window can move a progress bar and let events through;
// an exception thrown by afterLine stops the reading.
TrackerDay loadTrackerDay(const std::string& summaryPath, const std::function<void(std::size_t)>& afterLine);

// The requests of one visitor (host and client compared without regard to
// case), or of every visitor of a host when client is empty; in file order.
std::vector<const RequestDetail*> requestsOf(const TrackerDay& day, std::string_view host, std::string_view client);

} // namespace larkspan::tracker
