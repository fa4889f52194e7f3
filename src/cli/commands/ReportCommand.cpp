#include "commands/ReportCommand.h"

#include "Arguments.h"
#include "analysis/AnalysisPass.h"
#include "analysis/WebData.h"
#include "common/ProgramFolder.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "platform/Platform.h"
#include "reports/ReportGenerator.h"
#include "webs/FtpSettings.h"
#include "webs/WebStore.h"

#include <ostream>

namespace larkspan {

namespace {

class SilentImportView : public ImportView {
  public:
    void refresh(const ImportStatus&) override {}
    void showPanel(const std::string&, int) override {}
    void hidePanel() override {}
};

} // namespace

std::string_view ReportCommand::usage() const
{
    return "PROFILE\n"
           "Runs the profile's analysis over its date range and writes its reports, CSV files\n"
           "and e-mail copies as the profile asks into Reports/PROFILE/, then prints where\n"
           "index.html is. With \"Output to browser\" set the index opens in the default\n"
           "browser when a desktop session is there.";
}

int ReportCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments arguments(args, {}, {});
    arguments.requirePositionalCount(1, 1);
    const std::string profile = arguments.positionalAt(0, "the profile name");
    const std::string dataDirectory = analysis::dataDirectory(context.settings, context.folder);

    Platform& platform = context.platform;
    const ProgramFolder& folder = context.folder;
    // Yes at an FTP web's missing-days question imports the web first.
    const analysis::ImportRunner importRun = [&context](const std::string& web) {
        WebStore webs(context.settings, context.folder.homeWithSeparator());
        SilentImportView view;
        NoSessionTracker tracker;
        ImportOptions options;
        options.buildSessionTracker = readBuildSessionTracker(context.settings);
        options.temporaryFolder = context.folder.temporary();
        ImportRun run(context.platform, webs, view, tracker, options);
        importWeb(run, context.platform, web);
    };
    ReportGenerator generator(
        platform, folder, dataDirectory, [&](const profiles::RunProfile& run, analysis::StatisticsTable& table) {
            return analysis::runAnalysisPass(platform, folder, analysis::PassInput::from(run, dataDirectory), table,
                                             importRun);
        });
    const RunOutcome outcome = generator.GenerateReports(profile);
    switch (outcome.status) {
    case RunOutcome::Done:
        context.out << "Index page: " << outcome.indexPath << '\n';
        return kExitDone;
    case RunOutcome::Cancelled:
        return kExitCancelled;
    default:
        return kExitFailed;
    }
}

} // namespace larkspan
