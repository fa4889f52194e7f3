#pragma once

#include "import/DayFileWrites.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace larkspan {

class ImportJournal;

// Fills the canonical day files (<web folder>/yyyy/LKLTmmdd.log) during one
// import run. Records are buffered for the current day and written at a
// change of day and at each flush. The first time a day is met in a run its
// file is written anew; later writes in the same run append, each visit
// opening a new segment with its header block. With appendOnly every day
// is appended to, never replaced (imports that read only what is new).
//
// Nothing is final until the source file is committed: a day written anew
// is staged beside its file and renamed over it by the journal's commit,
// and a day appended to is noted in the journal with its size first, so a
// source file that fails, is cancelled or is killed leaves the day files
// as they were. Write failures throw ImportWriteError.
//
// Output stays bounded whatever the input: a header block that has not
// changed is not written again, and once the header text written for a
// source file outweighs its records, a block is cut to what readers need:
// #FileFormat and #Delim with the #Fields and #Date lines that changed.
//
// Writes may be handed to a worker thread (writeInBackground): files then
// receive the same bytes in the same order, and finishWrites() must have
// returned before the journal commits, discardWrites() before it rolls back.
class DayWriter {
  public:
    explicit DayWriter(ImportJournal& journal) : journal_(journal) {}

    // Clears all state; webFolder ends with a separator.
    void startRun(const std::string& webFolder, bool appendOnly = false);
    // Forgets the current day (the buffer has been flushed by then).
    void startSourceFile();

    // Buffers one canonical record (without line end). year has four
    // characters, month and day two; a record whose date is not a real
    // calendar date is dropped silently. header: the lines of the current
    // header block joined by CR LF, written when a segment opens. Returns
    // false when the record was dropped.
    bool writeRecord(std::string_view record, std::string_view year, std::string_view month, std::string_view day,
                     const std::string& header);
    // Appends an updated header block (directives met between records)
    // when it differs from the block that governs the day's last records.
    void addHeaderBlock(const std::string& header);
    // Writes the buffer out to the staged or appended file (or hands it to
    // the background writer).
    void flush();
    // Hands writes to a worker thread (on) or writes at once (off, the default).
    void writeInBackground(bool on);
    // Waits for the writes handed on; throws the first failure.
    void finishWrites();
    // Drops the writes not yet done and waits for the one under way.
    void discardWrites();

    // The day files the source file under way has written to, in order of
    // first meeting.
    std::vector<std::string> sourceFileDays() const;
    // After the journal's commit: the source file's days count as written.
    void commitSourceFile();
    // After the journal's rollback: the source file's days are forgotten.
    void rollbackSourceFile();

    // The day files of the committed source files of this run, in order of
    // first meeting.
    const std::vector<std::string>& runDays() const { return runDays_; }

  private:
    // One day touched by the source file under way.
    struct StagedDay {
        std::string target;    // the day file
        std::string writePath; // where this file's lines go: staged copy or the day file itself
        bool append = false;
        bool created = false; // the staged copy exists
        // The block governing the day's last lines, and its #Fields and
        // #Date lines (0: none written by this source file yet).
        std::uint64_t headerHash = 0;
        std::uint64_t fieldsHash = 0;
        std::uint64_t dateHash = 0;
    };
    StagedDay& stage(int key, std::string_view year, std::string_view month, std::string_view day);
    void appendHeader(const std::string& header, bool segmentStart);

    ImportJournal& journal_;
    std::string webFolder_;
    bool appendOnly_ = false;
    std::unordered_set<int> writtenDays_; // days committed in this run
    std::unordered_set<int> daysListed_;  // days in runDays_
    std::vector<std::string> runDays_;
    std::unordered_map<int, StagedDay> staged_; // days of the source file under way
    std::vector<int> stagedOrder_;
    int currentKey_ = 0; // yyyymmdd, 0 for none
    StagedDay* current_ = nullptr;
    std::string buffer_;         // whole lines, each ending in CR LF
    long long headerBudget_ = 0; // header bytes this file may still write in full
    std::unique_ptr<DayFileWrites> background_;
    DayFileWrite write_; // the write being prepared; its buffer is reused
};

} // namespace larkspan
