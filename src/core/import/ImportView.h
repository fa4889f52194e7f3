#pragma once

#include <string>

namespace larkspan {

class Progress;

// What the import window shows while a run goes on.
struct ImportStatus {
    std::string caption;      // "Importing " + web
    std::string currentFile;  // the "Current file:" text
    std::string fileStatus;   // "Importing " + the file's name without folder
    std::string recordStatus; // lines handled + " records imported..."
    long long filesDone = 0;
    long long filesTotal = 0;
    long long linesHandled = 0;
    // How much of the current file has been read, in percent; -1 when no
    // file is being read.
    int filePercent = -1;
};

// The import window, the terminal or a test record.
class ImportView {
  public:
    virtual ~ImportView() = default;
    virtual void refresh(const ImportStatus& status) = 0;
    // The information panel with its text and bar (percent), and hiding it.
    virtual void showPanel(const std::string& text, int percent) = 0;
    virtual void hidePanel() = 0;
};

// Shows the status through a generic progress display: caption, text
// lines 0 (file status), 1 (records), 2 (current file), 3 (panel), bar 0
// (files) and bar 1 (panel).
class ProgressImportView : public ImportView {
  public:
    explicit ProgressImportView(Progress& progress) : progress_(progress) {}
    void refresh(const ImportStatus& status) override;
    void showPanel(const std::string& text, int percent) override;
    void hidePanel() override;

  private:
    Progress& progress_;
};

} // namespace larkspan
