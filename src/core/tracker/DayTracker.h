#pragma once

#include "analysis/FoldedKey.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspan::tracker {

class BuildHostNames;

// Builds the tracker lines of one day file from its lines, read once in
// order. Directive lines set the delimiter ("#Delim:"), the day's date
// ("#Date:") and the field list ("#Fields:"); records of a counted method
// ("GET", "HEAD") make visitors (date, host, client) and, for pages and
// images, request lines. The tables are sorted once, at the end.
class DayTracker {
public:
    explicit DayTracker(const BuildHostNames& hosts);

    void addLine(std::string_view line);

    // The visitor lines sorted by date, host and client, and the request
    // lines sorted by their whole text (both without regard to case; equal
    // request lines are all kept, in reading order).
    std::vector<std::string> summaryLines() const;
    std::vector<std::string> detailLines() const;
    // The request lines as the file holds them, each ended by CR LF.
    std::string detailFileText() const;

private:
    struct TimeOfDay {
        int hour = -1;
        int minute = -1;
        int second = -1;
        bool known() const { return hour != -1 && minute != -1 && second != -1; }
    };
    struct Visitor {
        std::string key;          // date + "," + host + "," + client, as first met
        std::size_t dateEnd = 0;  // end of date within key
        std::size_t hostEnd = 0;  // end of host within key
        long long hits = 1;
        long long pages = 0;
        std::string firstPage;
        std::string lastPage;
        TimeOfDay earliest;
        TimeOfDay latest;
        long long hundredthsKb = 0;
    };
    enum Column { Time, Client, Server, Method, UriStem, Status, Referrer, Date, Bytes, ColumnCount };

    void directive(std::string_view line);
    void record(std::string_view line);
    std::string_view column(Column c) const;
    Visitor& visitorFor(std::string_view date, std::string_view host, std::string_view client, bool& created);
    static TimeOfDay timeParts(std::string_view time);
    static long long hundredthsOfKilobytes(std::string_view bytes);
    static std::string summaryLine(const Visitor& v);

    const BuildHostNames& hosts_;
    char delimiter_ = ' ';
    std::string dayDate_;
    std::size_t fieldCount_ = 0;
    int columns_[ColumnCount];
    std::vector<std::string_view> values_;
    std::string key_;
    std::string url_;
    std::vector<Visitor> visitors_;
    std::unordered_map<std::string, std::size_t, analysis::FoldedHash, analysis::FoldedEqual> index_;
    std::vector<std::size_t> detailOrder() const;
    std::string detailText_;
    std::string detailFolded_;
    std::vector<std::pair<std::size_t, std::size_t>> detailSpans_;  // offset and length in detailText_
};

// The file text of a visitor's kilobytes: hundredths written in the
// shortest decimal form ("0", "0.5", "12.34").
std::string kilobytesText(long long hundredths);

}  // namespace larkspan::tracker
