#pragma once

#include "analysis/FoldedKey.h"
#include "analysis/TextArena.h"
#include "common/FieldSplit.h"
#include "tracker/ClientSpellings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspan {
class TextSink;
}

namespace larkspan::tracker {

class BuildHostNames;

// Builds the tracker lines of one day file from its lines, read once in
// order. Directive lines set the delimiter ("#Delim:"), the day's date
// ("#Date:") and the field list ("#Fields:"); records of a counted method
// ("GET", "HEAD") make visitors (date, host, client) and, for pages and
// images, request lines. The tables are sorted once, at the end.
class DayTracker {
  private:
    struct Request;
    struct Visitor;

  public:
    // The largest tables of a day, emptied, to be taken over by the next
    // day's tracker so that a worker building day after day reuses its
    // memory instead of asking for more.
    class Buffers {
        friend class DayTracker;
        std::string detailText;
        std::vector<Request> requests;
        std::vector<Visitor> visitors;
    };

    explicit DayTracker(const BuildHostNames& hosts, Buffers reused = {});
    // Gives up the largest tables, emptied; the tracker is then empty.
    Buffers releaseBuffers();

    // Makes room for the request lines of a day file of this size, so the
    // buffer is not copied as it grows.
    void reserveFor(std::size_t dayFileBytes);
    void addLine(std::string_view line);
    // Tracks the line at the start of text, found as the analysis pass
    // finds a day file's lines: it ends at the first LF, and a CR before
    // the LF is not part of it. A record is split as its end is looked
    // for. Returns the bytes taken, the LF included; 0 (nothing taken)
    // when text is empty, or holds no LF while more text may follow (last
    // false).
    std::size_t takeLine(std::string_view text, bool last);

    // The visitor lines sorted by date, host and client, and the request
    // lines sorted by their whole text (both without regard to case; equal
    // request lines are all kept, in reading order).
    std::vector<std::string> summaryLines() const;
    std::vector<std::string> detailLines() const;
    // The files' texts: the same lines, each ended by CR LF.
    void writeSummary(TextSink& sink) const;
    void writeDetail(TextSink& sink) const;

  private:
    // A time of day: hour, minute and second, each two digits or unknown
    // (-1), kept plus one in a byte each with the hour highest, so that
    // comparing two as numbers compares them part by part, and a record's
    // time passes in one register.
    struct TimeOfDay {
        std::uint32_t packed = 0;
        int hour() const { return static_cast<int>(packed >> 16) - 1; }
        int minute() const { return static_cast<int>((packed >> 8) & 0xff) - 1; }
        int second() const { return static_cast<int>(packed & 0xff) - 1; }
        bool known() const { return hour() != -1 && minute() != -1 && second() != -1; }
    };
    struct Visitor {
        std::string_view key;    // date + "," + host + "," + client, as first met (in texts_, a comma after it)
        std::size_t dateEnd = 0; // end of date within key
        std::size_t hostEnd = 0; // end of host within key
        long long hits = 1;
        long long pages = 0;
        std::string firstPage;
        std::string lastPage;
        TimeOfDay earliest;
        TimeOfDay latest;
        long long hundredthsKb = 0;
    };
    // A request line: its text in detailText_, the length of its date,
    // host and client part (with the comma after it), and the group of
    // lines with the same part: a visitor's index, or kQuotedGroup and an
    // index into quotedPrefixes_ when a field of the part is quoted.
    struct Request {
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t restOffset;
        std::size_t group;
    };
    // Not declared noexcept so that the tables keep each key's hash beside
    // it: without it, walking a bucket hashes every key met again.
    struct FoldedHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return analysis::folded::hash(s); }
    };
    enum Column { Time, Client, Server, Method, UriStem, Status, Referrer, Date, Bytes, ColumnCount };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kQuotedGroup = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

    void directive(std::string_view line);
    void record(std::string_view line);
    // Whether the field list and date in force let records be tracked.
    bool takesRecords() const;
    // A record split into values_, fieldCount_ of them.
    void recordValues();
    std::string_view column(Column c) const;
    std::size_t visitorFor(std::string_view date, std::string_view host, std::string_view client, bool& created);
    void countRequest(Visitor& v, bool created, bool page, TimeOfDay t);
    void findClient(std::string_view client, bool& created);
    ResolvedClient newClient(std::string_view client, bool& created);
    bool requestFieldsPlain() const;
    void addRequest(bool plain);
    std::vector<std::size_t> visitorOrder() const;
    std::vector<std::size_t> detailOrder() const;
    static TimeOfDay timeParts(std::string_view time);
    static long long hundredthsOfKilobytes(std::string_view bytes);
    static void appendSummaryLine(std::string& out, const Visitor& v);

    const BuildHostNames& hosts_;
    char delimiter_ = ' ';
    std::string dayDate_;
    std::size_t dateVersion_ = 0;
    std::size_t fieldCount_ = 0;
    int columns_[ColumnCount];
    std::vector<std::string_view> values_;
    const text::LineSplitter splitLine_ = text::bestLineSplitter();
    std::string key_;
    std::string prefix_;
    // The visitors' keys, the client spellings and their prefixes.
    analysis::TextArena texts_;
    std::string url_;
    // The spellings met since the date last changed; the previous record's
    // (records of one client come in runs) is at hand.
    ClientSpellings spellings_;
    std::size_t spellingsDateVersion_ = 0;
    ResolvedClient last_;
    bool haveLast_ = false;
    std::vector<Visitor> visitors_;
    std::unordered_map<std::string_view, std::size_t, FoldedHash, analysis::FoldedEqual> index_;
    // The distinct date, host and client parts of request lines that need
    // quotes, as written, each with its comma.
    std::vector<std::string> quotedPrefixes_;
    std::unordered_map<std::string, std::size_t, FoldedHash, analysis::FoldedEqual> quotedIndex_;
    std::string detailText_;
    std::vector<Request> requests_;
};

// The file text of a visitor's kilobytes: hundredths written in the
// shortest decimal form ("0", "0.5", "12.34").
std::string kilobytesText(long long hundredths);

} // namespace larkspan::tracker
