#pragma once

#include "analysis/BlockHandOff.h"
#include "analysis/StatisticsTable.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <thread>

namespace larkspan::analysis {

// Counts the pages, downloads, referrers and error addresses of a pass on
// a second thread while the record tally does the rest of each record on
// the calling thread. The tally decides for each record what is counted
// (filter, robots, hit type, status, visitor), then hands these keys over
// in record order; the second thread counts them into lists of its own,
// which no other thread touches, and finishInto moves them into the pass's
// table. Each list is thus filled by one thread in record order: its first
// appearances, spellings and counts are those of one thread.
//
// The keys travel in recycled blocks (BlockHandOff), at most 8 MB of
// them: the tally runs that far ahead at most, and while the side thread
// keeps up only a few blocks hold memory. Destroying a side tally that was
// not finished stops its thread and joins it.
class SideTally {
  public:
    SideTally();
    ~SideTally();
    SideTally(const SideTally&) = delete;
    SideTally& operator=(const SideTally&) = delete;

    // Each as StatisticsTable's, in the order the records give them.
    void countPage(std::string_view serverAddress, std::string_view path, double kilobytes);
    void countDownload(std::string_view serverAddress, std::string_view path);
    void countReferrer(std::string_view referrer);
    // gridRows: the rows the other lists of the pass filled by then, which
    // decide the grid row a new address lands in.
    void addErrorAddress(char kind, std::string_view status, std::string_view serverAddress, std::string_view path,
                         int gridRows);

    // Waits for every key handed over to be counted, then moves the lists
    // into table, whose own lists of those kinds are empty. A failure of
    // the second thread is thrown here (or by the hand-over after it).
    void finishInto(StatisticsTable& table);
    // The pass was cancelled: the second thread stops after the key it is
    // counting, the keys not counted yet are dropped, and the lists go to
    // table as they are.
    void stopInto(StatisticsTable& table);

  private:
    // What a key is for; each block holds keys as the kind, then the
    // values and texts (length first) that kind needs.
    enum class Kind : std::uint8_t { Page, Download, Referrer, ErrorAddress };

    // The block to append a key of bytes (beside its kind) to, its kind
    // written: the block being written, or a fresh one when the key would
    // not fit. Rethrows a failure of the second thread.
    std::string& room(Kind kind, std::size_t bytes);
    void run();
    void countBlock(const std::string& block);

    // Joins the second thread, rethrows its failure and moves its lists.
    void joinInto(StatisticsTable& table);

    BlockHandOff handOff_;
    std::atomic<bool> stop_{false};
    StatisticsTable lists_;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace larkspan::analysis
