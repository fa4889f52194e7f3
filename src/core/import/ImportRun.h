#pragma once

#include "import/DayWriter.h"
#include "import/ImportView.h"
#include "import/LogConverter.h"
#include "import/SourceFiles.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

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
    // Asks for files when a local web names none (the open-file dialog);
    // returns a comma list, or "" when nothing was chosen. Null: no dialog.
    std::function<std::string()> chooseFiles;
    // How often long work lets the front end's events through.
    std::chrono::milliseconds pumpInterval{50};
};

// One import run of one web: lists the web's source files, converts each
// into the canonical day files, records it in the imported-files list and
// finally builds the session tracker for every day written. Messages and
// questions go through the platform; progress through the view.
class ImportRun {
public:
    ImportRun(Platform& platform, WebStore& webs, ImportView& view, SessionTrackerBuilder& tracker, ImportOptions options);

    // Runs the import. Per-file failures are shown and skipped. Returns
    // Cancelled when the run ended by cancellation (after its message, if
    // any); throws Error for a failure that ends the run (a web without a
    // name or without a sound settings file).
    ImportOutcome run(const std::string& web);

    // The day files written by the last run, in order of first meeting.
    const std::vector<std::string>& runDays() const { return writer_.runDays(); }
    // Whether the last source file held no carriage return in its first
    // 10240 bytes (the window's Unix box).
    bool unixBox() const { return unixBox_; }
    // Records the last run wrote, and the source files that held text but
    // gave no record (each was named in a warning as it was read).
    long long recordsImported() const { return recordsImported_; }
    const std::vector<std::string>& filesWithoutRecords() const { return filesWithoutRecords_; }

private:
    ImportOutcome ftpRun(const std::string& web, const WebImportSource& source);
    std::vector<SourceFile> localFiles(const WebImportSource& source);
    // Converts one entry; false when the run is to end by cancellation.
    bool importFile(const SourceFile& file, WebImportSource& source);
    ImportOutcome cancelled();
    void checkCancel();
    void refresh();
    bool isCancelled() const;

    Platform& platform_;
    WebStore& webs_;
    ImportView& view_;
    SessionTrackerBuilder& tracker_;
    ImportOptions options_;
    DayWriter writer_;
    ConversionRun conversion_;
    ImportStatus status_;
    std::string webName_;
    bool unixBox_ = false;
    long long recordsImported_ = 0;
    std::vector<std::string> filesWithoutRecords_;
};

// The import window's "Import Now" around a run: shows "Import Complete"
// (information, not in unattended runs) after a completed run and
// "Error Importing Files\n" + the reason after a failure. A run whose files
// all gave nothing is a failure, not a completed import.
ImportOutcome importWeb(ImportRun& run, Platform& platform, const std::string& web);

}  // namespace larkspan
