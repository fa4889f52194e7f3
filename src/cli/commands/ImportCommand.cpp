#include "commands/ImportCommand.h"

#include "common/ProgramFolder.h"
#include "import/ImportRun.h"
#include "tracker/TrackerDatabase.h"
#include "platform/Platform.h"
#include "webs/FtpSettings.h"
#include "webs/WebStore.h"

namespace larkspan {

std::string_view ImportCommand::usage() const
{
    return "NAME [--no-tracker]\n"
           "Imports the web's log files into its day files. --no-tracker skips the session tracker build.\n"
           "Ctrl-C cancels: the file under way is rolled back (exit status 3); a second Ctrl-C ends at once.\n"
           "Only one import of a web runs at a time; another waits briefly, then fails (exit status 1).";
}

namespace {

// One terminal line: a bar of files done, the records imported and the
// current file.
class TerminalImportView : public ImportView {
  public:
    explicit TerminalImportView(Progress& progress) : progress_(progress) {}

    void refresh(const ImportStatus& status) override
    {
        if (status.filesTotal <= 0) return;
        constexpr int kWidth = 20;
        const long long filled = status.filesDone * kWidth / status.filesTotal;
        std::string line = "[";
        line.append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(kWidth - filled), '.');
        line += "] " + std::to_string(status.filesDone) + "/" + std::to_string(status.filesTotal) + " files, " +
                status.recordStatus;
        std::string file = status.currentFile;
        if (const auto cut = file.rfind('/'); cut != std::string::npos) file = file.substr(cut + 1);
        if (const auto cut = file.find('\n'); cut != std::string::npos) file = file.substr(0, cut);
        if (!file.empty()) line += " " + file;
        if (status.filePercent >= 0) line += " " + std::to_string(status.filePercent) + "%";
        progress_.setText(0, line);
    }
    // The FTP fetch's event texts and the conversion notice, on one line.
    void showPanel(const std::string& text, int) override
    {
        std::string line;
        for (const char c : text) {
            if (c != '\n') line += c;
            else if (!line.empty() && line.back() != ' ') line += ' ';
        }
        progress_.setText(0, line);
    }
    void hidePanel() override {}

  private:
    Progress& progress_;
};

} // namespace

int ImportCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments a(args, {}, {"no-tracker"});
    a.requirePositionalCount(1, 1);
    const std::string& web = a.positionalAt(0, "web name");
    WebStore webs(context.settings, context.folder.homeWithSeparator());
    TerminalImportView view(context.platform.progress);
    tracker::TrackerDatabase tracker(context.platform, context.folder.syss());
    ImportOptions options;
    options.buildSessionTracker = readBuildSessionTracker(context.settings) && !a.flag("no-tracker");
    options.temporaryFolder = context.folder.temporary();
    options.ftpDownloadFolder = context.folder.ftpTemporary();
    ImportRun run(context.platform, webs, view, tracker, options);
    switch (importWeb(run, context.platform, web)) {
    case ImportOutcome::Completed:
        return kExitDone;
    case ImportOutcome::Cancelled:
        return kExitCancelled;
    case ImportOutcome::Failed:
        return kExitFailed;
    }
    return kExitFailed;
}

} // namespace larkspan
