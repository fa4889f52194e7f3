#pragma once

#include "import/DayWriter.h"
#include "import/ImportJournal.h"
#include "import/ImportView.h"
#include "import/LogConverter.h"
#include "import/ReadAheadLines.h"
#include "import/SourceFiles.h"
#include "import/SourceFingerprints.h"
#include "import/TrackerBacklog.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

class LineReader;
class LineSource;
class SessionTrackerBuilder;
class WebStore;
struct Platform;
struct WebImportSource;

enum class ImportOutcome { Completed, Cancelled, Failed };

struct ImportOptions {
    // "Create Session Tracker Database".
    bool buildSessionTracker = true;
    // "~tmp" beside the program: temporary copies of unreadable sources.
    std::string temporaryFolder;
    // "FTPTemp" beside the program: each FTP web downloads into its folder there.
    std::string ftpDownloadFolder;
    // Asks for files when a local web names none (the open-file dialog);
    // returns a comma list, or "" when nothing was chosen. Null: no dialog.
    std::function<std::string()> chooseFiles;
    // How often long work lets the front end's events through.
    std::chrono::milliseconds pumpInterval{50};
    // How long a run waits for another import of the same web to end
    // before it refuses.
    int lockWaitMs = 3000;
    // Threads the conversion may use: 0 takes workerThreadCount(); 1 does
    // everything on the calling thread; 2 lets a worker read and split the
    // lines ahead of the conversion; 3 or more also writes the day files
    // behind it on another.
    unsigned threads = 0;
    // Source files smaller than this are read on the calling thread
    // whatever the threads: their few blocks would not repay a worker's
    // start and the waits at either end.
    std::uint64_t readAheadFrom = 8 << 20;
};

// One import run of one web: lists the web's source files, converts each
// into the canonical day files, records it in the imported-files list and
// finally builds the session tracker for every day written. Messages and
// questions go through the platform; progress through the view.
//
// One run per web at a time, across processes: the run holds <web>.lock in
// the web's folder and refuses when another holds it. Each source file is
// imported all or nothing (see ImportJournal); a file that cannot be read
// is skipped, a write failure ends the run as failed. With "new files only"
// and a file mask, files are recognised by content (SourceFingerprints):
// only what an earlier run has not read is imported, and days are appended
// to, never replaced.
class ImportRun {
  public:
    ImportRun(Platform& platform, WebStore& webs, ImportView& view, SessionTrackerBuilder& tracker,
              ImportOptions options);

    // Runs the import. Per-file failures are shown and skipped. Returns
    // Cancelled when the run ended by cancellation (after its message, if
    // any); throws Error for a failure that ends the run (a web without a
    // name or without a sound settings file, a web another import holds,
    // a failed write).
    ImportOutcome run(const std::string& web);

    // The day files written by the last run, in order of first meeting.
    // (Its tracker step built these and the days earlier runs left owed.)
    const std::vector<std::string>& runDays() const { return writer_.runDays(); }
    // Whether the last source file held no carriage return in its first
    // 10240 bytes (the window's Unix box).
    bool unixBox() const { return unixBox_; }
    // Records the last run wrote, and the source files that held text but
    // gave no record (each was named in a warning as it was read).
    long long recordsImported() const { return recordsImported_; }
    const std::vector<std::string>& filesWithoutRecords() const { return filesWithoutRecords_; }

  private:
    ImportOutcome importFiles(const std::string& web, WebImportSource& source);
    // Fetches an FTP web's files; anything but Completed ends the run.
    ImportOutcome fetchFtpFiles(const std::string& web, const WebImportSource& source, std::vector<SourceFile>& files);
    std::vector<SourceFile> localFiles(const WebImportSource& source);
    bool holdsNothingNew(const SourceFile& file, const ImportedFiles& imported);
    // Converts one entry; false when the run is to end by cancellation.
    bool importFile(const SourceFile& file, WebImportSource& source);
    // Opens the source (or a temporary copy of it, after the locked-file
    // question); false when the file is skipped or the run cancelled.
    bool openSource(const std::string& path, LineReader& reader, std::string& temporaryCopy);
    void convertSource(const SourceFile& file, LineReader& reader, const std::string& readPath);
    // Converts the lines from where reader stands, ahead of it on a worker
    // when threads allow; with drain, the lines the conversion leaves are
    // read too.
    void convertLines(LineReader& reader, const SourceFile& file, const std::string& readPath, bool convert, bool drain,
                      const std::function<void()>& poll);
    void commitFile(const SourceFile& file, WebImportSource& source);
    // Undoes what the file under way wrote.
    void rollbackFile();
    // After a file's commit: its days were written to, and the days of the
    // file before that it left alone are handed to the tracker to build
    // ahead.
    void buildDaysAhead(const std::vector<std::string>& fileDays);
    // Builds the tracker files of every day owed; false when the step was
    // cancelled.
    bool buildSessionTracker(const std::string& web);
    ImportOutcome cancelled();
    void checkCancel();
    void refresh();
    bool isCancelled() const;

    Platform& platform_;
    WebStore& webs_;
    ImportView& view_;
    SessionTrackerBuilder& tracker_;
    ImportOptions options_;
    ImportJournal journal_;
    DayWriter writer_;
    TrackerBacklog trackerBacklog_;
    SourceFingerprints fingerprints_;
    unsigned threads_ = 1;
    ReadAheadLines::Blocks readAheadBlocks_;
    bool byContent_ = false;  // new files only with a mask: files recognised by content
    bool legacyList_ = false; // by content, but no fingerprints kept yet
    const ImportedFiles* importedList_ = nullptr;
    const LineSource* reading_ = nullptr; // the file under way, for its progress
    std::uint64_t readingSize_ = 0;
    ConversionRun conversion_;
    ImportStatus status_;
    std::string webName_;
    bool unixBox_ = false;
    long long recordsImported_ = 0;
    std::vector<std::string> filesWithoutRecords_;
    long long fileRecords_ = 0; // of the file under way, counted once it is committed
    std::vector<std::string> lastFileDays_; // the days the last file committed wrote to
    bool fileGaveNothing_ = false;
};

// The import window's "Import Now" around a run: shows "Import Complete"
// (information, not in unattended runs) after a completed run and
// "Error Importing Files\n" + the reason after a failure. A run whose files
// all gave nothing is a failure, not a completed import.
ImportOutcome importWeb(ImportRun& run, Platform& platform, const std::string& web);

} // namespace larkspan
