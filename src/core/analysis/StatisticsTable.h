#pragma once

#include "analysis/FoldedKey.h"
#include "analysis/KeyedRows.h"
#include "analysis/TrafficTallies.h"
#include "common/CellTable.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace larkspan::analysis {

// The lists the analysis pass fills and the report builders read. Each
// list's rows are in order of first appearance; keys are matched without
// regard to case, the first spelling seen being the one kept.
enum class StatList {
    Buckets,        // counter (1,1)
    Referrers,      // counter (1,4)
    Pages,          // counter (1,5)
    PageErrors,     // counter (1,6)
    Downloads,      // counter (1,7)
    DownloadErrors, // counter (1,8)
    ErrorStatuses,  // counter (1,9)
    UserAgents,     // counter (1,10)
};

// One time bucket: an hour of the day, a day or a month.
struct BucketRow {
    std::string key;        // "09:00 to 09:59", "2000-02-01" or "2000-02"
    std::string label;      // hourly: the key; daily "Tue, Feb 1, 2000"; monthly "February, 2000"
    long long hits = 0;     // counted requests of every hit type
    double kilobytes = 0;   // sum of each request's bytes / 1024, rounded half to even
    long long sessions = 0; // new visitors whose first counted request of the day fell here
    long long pages = 0;
    long long downloads = 0;
    long long images = 0;
    long long others = 0;
};

// A referrer, user agent or status code with its count. key() views the
// table's own text and lives as long as the table. The key is kept as a
// pointer and a 24-bit length beside a 40-bit count, so a row of a long list
// takes 16 bytes. No key comes near either bound: the analysis pass passes
// over day-file lines of 16 MB or more, and a count of 2^39 would take
// terabytes of day files.
struct CountRow {
    using Growth = GrowsInPlace;
    static constexpr std::size_t kLongestKey = (std::size_t{1} << 24) - 1;

    std::string_view key() const { return std::string_view(text_, keySize_); }
    void setKey(std::string_view key)
    {
        if (key.size() > kLongestKey) throw std::length_error("key too long");
        text_ = key.data();
        keySize_ = key.size();
    }

    long long count : 40 = 0;

  private:
    unsigned long long keySize_ : 24 = 0;
    const char* text_ = nullptr;
};
static_assert(sizeof(CountRow) == 16, "a long list's row takes 16 bytes");

// A page or download file: key() is the server address followed directly
// by the path (query removed); path() is the path alone. Both view the
// table's own text and live as long as the table. The key is kept as a
// pointer and two lengths, so a row of a long list takes 24 bytes.
struct PathRow {
    using Growth = GrowsInPlace;

    std::string_view key() const { return std::string_view(text_, keySize_); }
    std::string_view path() const { return key().substr(pathStart_); }
    // A key's text (the path starts at its beginning until setPathStart).
    void setKey(std::string_view key)
    {
        if (key.size() > UINT32_MAX) throw std::length_error("key too long");
        text_ = key.data();
        keySize_ = static_cast<std::uint32_t>(key.size());
        pathStart_ = std::min(pathStart_, keySize_);
    }
    // The path begins start bytes into the key (at most its length).
    void setPathStart(std::size_t start)
    {
        pathStart_ = static_cast<std::uint32_t>(std::min<std::size_t>(start, keySize_));
    }

    long long count = 0;

  private:
    const char* text_ = nullptr;
    std::uint32_t keySize_ = 0;
    std::uint32_t pathStart_ = 0;
};

// The distinct keys (server address + path) that got one error status,
// named "P;" or "D;" followed by the status. rows[i] is the statistics grid
// row keys[i] sits in; readers of the typed lists need only keys.
struct ErrorAddressList {
    std::string name;
    std::vector<std::string> keys;
    std::vector<int> rows;
};

// The rows of a list as the table keeps them: a vector-like block.
using CountRows = KeyedRows<CountRow>::Rows;
using PathRows = KeyedRows<PathRow>::Rows;

// Whole-run sums of the time-bucket columns, as the index page adds them.
struct BucketTotals {
    long long hits = 0;
    long long pages = 0;
    long long downloads = 0;
    long long images = 0;
    long long others = 0;
    long long sessions = 0;
    double kilobytes = 0;
};

// Adds the counts of bucket to sum (a BucketTotals or another bucket).
template <class Sum> void addBucketCounts(Sum& sum, const BucketRow& bucket)
{
    sum.hits += bucket.hits;
    sum.pages += bucket.pages;
    sum.downloads += bucket.downloads;
    sum.images += bucket.images;
    sum.others += bucket.others;
    sum.sessions += bucket.sessions;
    sum.kilobytes += bucket.kilobytes;
}

// The statistics table of one report run. It replaces the classic grid of
// text cells with typed lists behind hashed indexes; toCellTable() renders
// the grid layout (cell by cell) for inspection and tests.
//
// Read side (report builders) first; the write side is used only by the
// analysis pass.
class StatisticsTable {
  public:
    // --- read ---------------------------------------------------------

    // True once the pass has read its first block of lines (the grid became
    // 38 x 38 and the three error counters were set to -1).
    bool isSetUp() const { return setUp_; }

    // The counter cell of a list: the index of its last row, or
    // std::nullopt when the cell is empty (the list was never started). The
    // three error lists read -1 rather than empty once the table is set up.
    std::optional<long long> counter(StatList list) const;

    // Number of rows of a list (counter + 1, or 0).
    std::size_t rowCount(StatList list) const;

    const std::vector<BucketRow>& buckets() const { return buckets_.rows(); }
    const CountRows& referrers() const { return referrers_.rows(); }
    const CountRows& userAgents() const { return userAgents_.rows(); }
    const PathRows& pages() const { return pages_.rows(); }
    // The kilobytes sent for each page, beside pages() row by row.
    const RowStore<double>& pageKilobytes() const { return pageKilobytes_; }
    const PathRows& downloads() const { return downloads_.rows(); }
    const CountRows& errorStatuses() const { return errorStatuses_.rows(); }
    const CountRows& pageErrors() const { return pageErrors_.rows(); }
    const CountRows& downloadErrors() const { return downloadErrors_.rows(); }

    // Error address lists in grid column order (the first is column 38).
    const std::vector<ErrorAddressList>& errorAddressLists() const { return errorLists_; }
    // The list named name ("P;404", any case), or nullptr.
    const ErrorAddressList* errorAddressList(std::string_view name) const;

    // Records kept by the filters so far, as written after each day file (1,0).
    long long recordsProcessed() const { return recordsProcessed_; }
    long long imageHits() const { return imageHits_; } // (7,0)
    long long otherHits() const { return otherHits_; } // (8,0)

    // Column 0: the field names met in "#Fields:" lines, by row; a row
    // without a name is empty text.
    const std::vector<std::string>& fieldNames() const { return fieldNames_; }

    BucketTotals bucketTotals() const;

    // The traffic-detail tallies; kept apart from the classic grid, which
    // toCellTable() renders unchanged.
    const TrafficTallies& traffic() const { return traffic_; }

    // Row and column counts of the equivalent grid.
    int gridRows() const { return gridRows_; }
    int gridColumns() const { return gridColumns_; }

    // The classic grid: every list in its columns, counters in column 1,
    // numbers as decimal text.
    CellTable toCellTable() const;

    // --- write (analysis pass) ----------------------------------------

    // Empties everything; the grid is 1 x 1 again.
    void reset();
    // The first block of the pass: 38 x 38, error counters -1.
    void setUp();
    // A "#Fields:" line's names: each name not yet in column 0 goes to the
    // row of its position in the line.
    void noteFieldNames(const std::vector<std::string_view>& names);
    void setRecordsProcessed(long long n) { recordsProcessed_ = n; }
    void addImageHit() { ++imageHits_; }
    void addOtherHit() { ++otherHits_; }
    TrafficTallies& traffic() { return traffic_; }

    // The bucket row of key; isNew is true when the row was just made (the
    // caller then writes its label).
    BucketRow& bucket(std::string_view key, bool& isNew);
    // A key's hint (see KeyedRows::prefetch), for the count of the same key
    // in the same record soon after.
    KeyHint prefetchReferrer(std::string_view referrer) const { return referrers_.prefetch(referrer); }
    KeyHint prefetchUserAgent(std::string_view agent) const { return userAgents_.prefetch(agent); }
    KeyHint prefetchPage(std::string_view serverAddress, std::string_view path);

    void countReferrer(std::string_view referrer, const KeyHint& hint = {});
    void countUserAgent(std::string_view agent);
    // The same, with stored a copy of agent's text in storedIn; when that is
    // the arena of shareUserAgentTexts, a new row views it instead of a copy.
    // Returns the agent's row, which countUserAgentAt counts again.
    std::size_t countUserAgent(std::string_view agent, std::string_view stored, const TextArena* storedIn,
                               const KeyHint& hint = {});
    void countUserAgentAt(std::size_t row) { userAgents_.countAt(row); }
    // Counts once an agent the caller knows the list does not hold in any
    // case (the robot spotter's verdict says so), in a new row; stored and
    // storedIn as above. Returns the row. The list is not searched.
    std::size_t countNewUserAgent(std::string_view agent, std::string_view stored, const TextArena* storedIn);
    // New user agents' texts are stored in arena from now on: the robot
    // spotter's, so that an agent judged and counted is stored once.
    void shareUserAgentTexts(std::shared_ptr<TextArena> arena) { userAgents_.storeTextsIn(std::move(arena)); }
    void countPage(std::string_view serverAddress, std::string_view path, double kilobytes = 0,
                   const KeyHint& hint = {});
    void countDownload(std::string_view serverAddress, std::string_view path);
    void countErrorStatus(std::string_view status);
    void countPageError(std::string_view status);
    void countDownloadError(std::string_view status);
    // Adds key to the list kind ('P' or 'D') + ";" + status unless the list
    // already holds it (any case).
    void addErrorAddress(char kind, std::string_view status, std::string_view key);

    // The pass is over: the long lists take no more room than their rows
    // and drop their look-up indexes (a later count builds them again).
    void compact();
    // Lets go of a long list (referrers, user agents, pages with their
    // kilobytes, downloads), for a run whose readers of it are done: it
    // reads as never started from then on. Other lists are kept.
    void release(StatList list);
    // The long lists take no more keys for a while: their look-up indexes
    // go (a later count builds them again), the rows stay as they are.
    void dropIndexes();

    // --- passes split over threads --------------------------------------

    // A table one worker fills from a run of consecutive days journals the
    // order in which it met new keys, "#Fields:" lines and error addresses,
    // so that mergeFrom lays its rows out exactly as one reading of all the
    // days in order would have.
    void keepJournal() { journalOn_ = true; }
    // Adds a journaled part filled from the days right after this table's.
    void mergeFrom(const StatisticsTable& part);

    // A table that counts the referrers, pages, downloads and error
    // addresses of the same records as another (see SideTally) lays its
    // error addresses out in the grid the two fill together: before each,
    // it learns how many rows the other's lists filled by then.
    void keepUpWithRows(int rows) { raiseRows(static_cast<std::size_t>(rows)); }
    // Moves those lists of side into this table, whose own are empty, and
    // takes the grid the two filled together.
    void takeListsOf(StatisticsTable& side);

  private:
    struct JournalEntry {
        enum class Kind : std::uint8_t { Header, NewRow, ErrorAddress };
        Kind kind;
        StatList list;       // NewRow
        std::uint32_t index; // the header, the row or the error address list
        std::uint32_t item;  // ErrorAddress: the key within its list
    };

    void raiseRows(std::size_t rowsNeeded);
    void countIn(StatList list, KeyedRows<CountRow>& rows, std::string_view key, const KeyHint& hint = {});
    // The index of the row counted.
    std::size_t countPath(StatList list, KeyedRows<PathRow>& rows, std::string_view serverAddress,
                          std::string_view path, const KeyHint& hint = {});
    void journal(JournalEntry::Kind kind, StatList list, std::size_t index, std::size_t item = 0);
    void replayRow(const StatisticsTable& part, StatList list, std::size_t row);
    const KeyedRows<CountRow>& countList(StatList list) const;
    KeyedRows<CountRow>& countList(StatList list)
    {
        return const_cast<KeyedRows<CountRow>&>(std::as_const(*this).countList(list));
    }

    struct KeyOnly {
        std::string_view key;
    };

    bool setUp_ = false;
    int gridRows_ = 1;
    int gridColumns_ = 1;
    long long recordsProcessed_ = 0;
    long long imageHits_ = 0;
    long long otherHits_ = 0;
    std::vector<std::string> fieldNames_;
    // How often each name stands in column 0, so a header is checked in
    // one pass however many names it has.
    std::unordered_map<std::string, int, FoldedHash, FoldedEqual> fieldNameCount_;
    KeyedRows<BucketRow> buckets_;
    KeyedRows<CountRow> referrers_;
    KeyedRows<CountRow> userAgents_;
    KeyedRows<PathRow> pages_;
    RowStore<double> pageKilobytes_;
    KeyedRows<PathRow> downloads_;
    KeyedRows<CountRow> errorStatuses_;
    KeyedRows<CountRow> pageErrors_;
    KeyedRows<CountRow> downloadErrors_;
    std::vector<ErrorAddressList> errorLists_;
    // Per error list, its keys; and the lists by name (same order).
    std::vector<KeyedRows<KeyOnly>> errorListKeys_;
    KeyedRows<KeyOnly> errorListNames_;
    TrafficTallies traffic_;
    bool journalOn_ = false;
    std::vector<JournalEntry> journal_;
    std::vector<std::vector<std::string>> journalHeaders_;
    std::string scratch_; // reused for composed keys
    std::string listName_;
};

} // namespace larkspan::analysis
