#pragma once

#include "analysis/RecordTally.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {
struct Platform;
class ThrottledPump;
}

namespace larkspan::analysis {

class StatisticsTable;

// Reads canonical day files line by line for the analysis pass: directive
// lines set the field list (and, from "#Delim:", the delimiter), data lines
// are split and handed to the tally. The field list of the latest
// "#Fields:" line holds across blocks and files.
class DayFileReader {
public:
    DayFileReader(Platform& platform, ThrottledPump& pump, StatisticsTable& table, RecordTally& tally);

    // Reads one file. Returns false when the operator cancelled. Throws
    // Error when the file cannot be opened (after the error box).
    bool read(const std::string& path);

    long long linesRead() const { return linesRead_; }

    // Lines are read in blocks of this many.
    static constexpr int kBlockLines = 8000;
    // A longer line is passed over as a data line that does not fit.
    static constexpr std::size_t kMaxLineLength = 16u << 20;

private:
    // Returns false to stop (cancelled). A line that is not whole (the
    // start of an over-long one) counts as read but is not parsed.
    bool line(std::string_view text, bool whole = true);
    void header(std::string_view text);
    void dataLine(std::string_view text);
    void progressMessage();

    Platform& platform_;
    ThrottledPump& pump_;
    StatisticsTable& table_;
    RecordTally& tally_;
    long long linesRead_ = 0;
    int blockLines_ = 0;
    char delimiter_ = ' ';
    std::vector<std::string> fields_;
    FieldPositions positions_;
    std::vector<std::string_view> values_;
    std::string buffer_;  // reused from file to file
};

}  // namespace larkspan::analysis
