#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace larkspan {

class Messages;

// Fills the canonical day files (<web folder>/yyyy/LKLTmmdd.log) during one
// import run. Records are buffered for the current day and written at a
// change of day and at each flush. The first time a day is met in a run its
// file is written anew; later writes in the same run append, each visit
// opening a new segment with its header block.
class DayWriter {
public:
    explicit DayWriter(Messages& messages) : messages_(messages) {}

    // Clears all state; webFolder ends with a separator.
    void startRun(const std::string& webFolder);
    // Forgets the current day (the buffer has been flushed by then).
    void startSourceFile();

    // Buffers one canonical record (without line end). year has four
    // characters, month and day two; a record whose date is not a real
    // calendar date is dropped silently. header: the lines of the current
    // header block joined by CR LF, written when a segment opens. Returns
    // false when the record was dropped.
    bool writeRecord(std::string_view record, std::string_view year, std::string_view month, std::string_view day,
                     const std::string& header);
    // Appends an updated header block (directives met between records).
    void addHeaderBlock(const std::string& header);
    // Writes the buffer out. Failures are shown as error messages; the
    // buffered lines are then dropped and the run goes on.
    void flush();

    // The day files met in this run, in order of first meeting.
    const std::vector<std::string>& runDays() const { return runDays_; }

private:
    void writeFresh();
    void append();

    Messages& messages_;
    std::string webFolder_;
    std::unordered_set<int> daysMet_;
    std::unordered_set<int> writtenDays_;  // days whose file this run has created
    std::vector<std::string> runDays_;
    int currentKey_ = 0;  // yyyymmdd, 0 for none
    std::string currentYearFolder_;
    std::string currentPath_;
    bool fresh_ = false;
    std::string buffer_;  // whole lines, each ending in CR LF
};

}  // namespace larkspan
