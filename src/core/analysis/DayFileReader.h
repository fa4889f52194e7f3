#pragma once

#include "analysis/RecordTally.h"
#include "common/FieldSplit.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {
struct Platform;
class ThrottledPump;
} // namespace larkspan

namespace larkspan::analysis {

class StatisticsTable;

// A day file a worker thread could not open, with the system's error
// number; the thread that owns the platform reports it (reportUnreadable).
struct UnreadableDayFile {
    std::string path;
    int code = 0;
};

// Reads canonical day files line by line for the analysis pass: directive
// lines set the field list (and, from "#Delim:", the delimiter), data lines
// are split and handed to the tally. The field list of the latest
// "#Fields:" line holds across blocks and files.
class DayFileReader {
  public:
    DayFileReader(Platform& platform, ThrottledPump& pump, StatisticsTable& table, RecordTally& tally);
    // A reader for a worker thread: it shows nothing, stops when stop is
    // set (tested every block of lines) and starts without knowing the
    // field list, which the days before it may have set: a data line before
    // its first "#Fields:" line stops it (needsEarlierFields) until
    // inheritFields gives it that list.
    DayFileReader(StatisticsTable& table, RecordTally& tally, const std::atomic<bool>& stop);

    // Reads one file. Returns false when the operator cancelled (or a
    // worker's reader stopped). Throws Error when the file cannot be opened
    // (after the error box); a worker's reader throws UnreadableDayFile.
    bool read(const std::string& path);

    // Shows "File Access Error : " and the error number, then throws Error.
    [[noreturn]] static void reportUnreadable(Platform& platform, const UnreadableDayFile& file);

    long long linesRead() const { return linesRead_; }
    bool needsEarlierFields() const { return needsEarlierFields_; }
    // The field list in force after the last line read.
    const std::vector<std::string>& fieldNames() const { return fields_; }
    void inheritFields(const std::vector<std::string>& fieldNames);

    // The file is read this many bytes at a time.
    static constexpr std::size_t kReadChunk = 1u << 20;
    // Lines are read in blocks of this many.
    static constexpr int kBlockLines = 8000;
    // The operator's events are polled every this many data lines (a
    // multiple of 10, which the progress text counts in).
    static constexpr long long kPollLines = 80;
    // A longer line is passed over as a data line that does not fit.
    static constexpr std::size_t kMaxLineLength = 16u << 20;

  private:
    // Returns false to stop (cancelled). A line that is not whole (the
    // start of an over-long one) counts as read but is not parsed. split is
    // the number of values (or kSplitFailed) when the line was split into
    // values_ already, as it was found.
    bool line(std::string_view text, bool whole = true, std::optional<std::size_t> split = {});
    [[gnu::noinline]] bool startBlock();
    // Shows the progress when the pump ran; false when the operator cancelled.
    [[gnu::noinline]] bool showProgress();
    [[gnu::noinline]] void directive(std::string_view text);
    void header(std::string_view text);
    void dataLine(std::string_view text, std::optional<std::size_t> split);
    void progressMessage();
    bool keepGoing();

    Platform* platform_ = nullptr; // none on a worker thread
    ThrottledPump* pump_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    bool fieldsKnown_ = true;
    bool needsEarlierFields_ = false;
    StatisticsTable& table_;
    RecordTally& tally_;
    long long linesRead_ = 0;
    int blockLines_ = 0;
    char delimiter_ = ' ';
    std::vector<std::string> fields_;
    FieldPositions positions_;
    std::vector<std::string_view> values_;
    // Splits a data line as its end is looked for, rejecting adjacent delimiters.
    const text::LineSplitter splitLine_ = text::bestLineSplitter();
    std::string buffer_; // reused from file to file
};

} // namespace larkspan::analysis
