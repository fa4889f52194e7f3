#pragma once

#include "import/ImportView.h"
#include "import/SourceFiles.h"
#include "platform/EventPump.h"
#include "platform/Network.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {

class ImportedFiles;
struct FtpSettings;
struct Platform;

struct ServerAddress {
    std::string host;
    int port = 21;
};

// "host", "host:port": the text after the last ":" is the port, 21 when it
// is not a number from 1 to 65535.
ServerAddress parseServerAddress(const std::string& text);

// Why a name from the server cannot be a local file name (it holds "/",
// "\", "..", a control character, starts with "-" or is empty); empty when
// it can.
std::string remoteNameProblem(const std::string& name);

struct FtpFetchResult {
    // Files left by an earlier run, then the downloads in listing order,
    // each with its size on the server; after a cancel, those finished
    // before it.
    std::vector<SourceFile> files;
    bool cancelled = false;
};

// Fetches a web's log files from its FTP server into its download folder:
// takes up finished downloads an earlier run left there, logs on, lists the folder, keeps the entries that match the
// mask and are neither folders, "errors.log"/"error.log", unusable names (skipped with a message) nor, with new files
// only, already imported at that size; downloads each (deleting it on the server afterwards when asked, a failed
// deletion ignored) and logs off. Progress goes to the view; the platform's
// cancel request stops the listing or transfer under way, removes that
// transfer's local file and never deletes it on the server. A failure
// removes the local file under way and throws Error.
class FtpFetch : private FtpEvents {
  public:
    FtpFetch(Platform& platform, ImportView& view, std::string caption,
             std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50));

    FtpFetchResult fetch(const FtpSettings& settings, const ImportedFiles& imported, const std::string& downloadFolder);

  private:
    struct Listed {
        std::string name;
        std::uint64_t size = 0;
    };

    std::vector<Listed> choose(const std::vector<FtpEntry>& entries, const FtpSettings& settings,
                               const ImportedFiles& imported);
    void downloadOne(const std::string& remotePath, const std::string& folder, const std::string& name);
    // Finished downloads an earlier run left unconverted (it was cancelled
    // or failed after them; with delete from the server they exist nowhere
    // else). Fragments of interrupted downloads, and files already imported
    // at their size when only new files are wanted, are removed instead.
    static std::vector<SourceFile> leftovers(const std::string& downloadFolder, const FtpSettings& settings,
                                             const ImportedFiles& imported);
    void showFailure(const std::string& reason);
    void showPanel(const std::string& text);

    void status(const std::string& text) override;
    void transferred(std::uint64_t bytes) override;
    void transferEnded() override;
    bool proceed() override;

    Platform& platform_;
    ImportView& view_;
    ImportStatus status_;
    ThrottledPump pump_;
    std::string panelText_;
    long long filesLeft_ = 0;
    long long steps_ = 1;
    long long stepsDone_ = 0;
    bool listingEnded_ = false;
};

} // namespace larkspan
