#pragma once

#include "analysis/AnalysisResult.h"
#include "analysis/CountCarries.h"
#include "analysis/KeyedRows.h"
#include "analysis/RecordFilter.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::analysis {

struct BucketRow;
class RobotSpotter;
class SideTally;
class StatisticsTable;

// The positions of the fields a record is read by, -1 when absent.
struct FieldPositions {
    int clientAddress = -1; // c-ip
    int method = -1;        // cs-method
    int uriStem = -1;       // cs-uri-stem
    int status = -1;        // sc-status
    int time = -1;          // time
    int serverAddress = -1; // s-ip
    int bytes = -1;         // sc-bytes
    int userAgent = -1;     // cs(User-Agent)
    int referrer = -1;      // cs(Referer)

    // Each name's position is that of its first case-insensitive match.
    static FieldPositions of(const std::vector<std::string>& fieldNames);
};

// One client address of the current day with its page and download count,
// in 16 bytes: the address as a pointer and a length, the count in 32 bits
// (RecordTally::requestsOf gives it whole).
class Visitor {
  public:
    using Growth = GrowsInPlace;
    // The address as first logged that day (the tally's own copy).
    std::string_view key() const { return std::string_view(text_, size_); }
    void setKey(std::string_view key)
    {
        if (key.size() > UINT32_MAX) throw std::length_error("address too long");
        text_ = key.data();
        size_ = static_cast<std::uint32_t>(key.size());
    }

  private:
    friend class RecordTally;
    const char* text_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t requests_ = 0; // the low 32 bits
};

// Filters, classifies and tallies the records of a pass into the
// statistics table, keeping the visitor set of the current day.
class RecordTally {
  public:
    RecordTally(StatisticsTable& table, const RecordFilter& filter, BucketMode mode, bool trackBySessions);

    // Robots are looked for (with spotter) and tallied apart; with noRobots
    // their requests count nowhere else. details keeps the traffic-detail
    // tallies, and a 206 answer to a download is then no download.
    void keepTrafficDetails(RobotSpotter* spotter, bool noRobots, bool details);
    // The pages, downloads, referrers and error addresses go to side (to
    // be counted on its thread) instead of the table, until this is called
    // with nullptr.
    void handListsTo(SideTally* side) { side_ = side; }

    // A day file begins: daily and monthly buckets are keyed by its day.
    void startDay(int dayNumber);
    // One data line split into its values (as many as there are fields).
    void add(const std::vector<std::string_view>& values, const FieldPositions& at);

    long long recordsProcessed() const { return recordsProcessed_; }
    // The day's visitors in ascending order of address (any case). The day
    // is over: a big look-up index of the visitors goes first (the next day
    // builds it again), to make room for the sort.
    std::vector<const Visitor*> sortedVisitors();
    // A visitor's pages and downloads that day.
    std::uint64_t requestsOf(const Visitor& visitor) const
    {
        return requestCarries_.total(static_cast<std::size_t>(&visitor - visitors_.rows().data()), visitor.requests_);
    }
    // The day's demographic data lines: each visitor's address and requests,
    // in the order of sortedVisitors().
    std::string demographicLines();
    bool hasVisitors() const { return !visitors_.empty(); }
    void clearVisitors()
    {
        visitors_.clear();
        requestCarries_.clear();
    }

  private:
    // The bucket key of a record, or false when it has none.
    bool bucketKey(const std::vector<std::string_view>& values, const FieldPositions& at);
    // Tallies a robot's request; true when it counts nowhere else.
    bool setApartRobot(const std::vector<std::string_view>& values, const FieldPositions& at, double kilobytes,
                       const KeyHint& hint);
    // extension: the request path's, as classifyEnding gives it.
    void tallyDetails(bool newVisitor, std::string_view extension, double kilobytes,
                      const std::vector<std::string_view>& values, const FieldPositions& at);
    // The hints of the keys a counted record will be looked up by, so that
    // their index slots are fetched from memory together.
    struct Lookahead {
        KeyHint visitor;
        KeyHint verdict; // the agent's robot verdict
        KeyHint page;
        KeyHint referrer;
        KeyHint agent;
    };
    Lookahead lookAhead(const std::vector<std::string_view>& values, const FieldPositions& at, std::string_view server,
                        std::string_view path, bool pageOrFile, bool pageCounted);
    void countUserAgent(std::string_view agent, const KeyHint& hint);
    // Counted in the table, or handed to the side tally when there is one.
    void countReferrer(std::string_view referrer, const KeyHint& hint);
    void countPage(std::string_view server, std::string_view path, double kilobytes, const KeyHint& hint);
    void countDownload(std::string_view server, std::string_view path);
    void addErrorAddress(char kind, std::string_view status, std::string_view server, std::string_view path);
    void tallyBucket(int hitType, bool newVisitor, double kilobytes);
    // The current record's bucket row (after bucketKey), made when new.
    BucketRow& bucketRow();

    StatisticsTable& table_;
    const RecordFilter& filter_;
    BucketMode mode_;
    bool trackBySessions_;
    long long recordsProcessed_ = 0;
    RobotSpotter* spotter_ = nullptr;
    SideTally* side_ = nullptr;
    bool noRobots_ = false;
    bool details_ = false;
    int day_ = 0;
    int weekday_ = 0;
    std::string dayKey_;
    std::string dayLabel_;
    std::string key_; // the current record's bucket key
    // By day or month, every record of a day has the same bucket: its row,
    // while the rows still start at dayBucketRows_ (none when null).
    BucketRow* dayBucket_ = nullptr;
    const BucketRow* dayBucketRows_ = nullptr;
    KeyedRows<Visitor> visitors_;
    CountCarries requestCarries_;
};

// The kilobytes a byte count adds: bytes / 1024 rounded to a whole number,
// halves to the even neighbour; 0 for a value that is not a number.
double kilobytesOf(std::string_view bytes);

} // namespace larkspan::analysis
