#include "commands/ReportCommand.h"

#include "Arguments.h"
#include "analysis/AnalysisPass.h"
#include "analysis/WebData.h"
#include "commands/OfferedImport.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "reports/ReportGenerator.h"

#include <ostream>

namespace larkspan {

std::string_view ReportCommand::usage() const
{
    return "PROFILE\n"
           "Runs the profile's analysis over its date range and writes its reports, CSV files\n"
           "and e-mail copies as the profile asks into Reports/PROFILE/, then prints where\n"
           "index.html is. With \"Output to browser\" set the index opens in the default\n"
           "browser when a desktop session is there. Ctrl-C cancels: the report under way is not\n"
           "written and no half-written file is left (exit status 3); a second Ctrl-C ends at once.";
}

int ReportCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments arguments(args, {}, {});
    arguments.requirePositionalCount(1, 1);
    const std::string profile = arguments.positionalAt(0, "the profile name");
    const std::string dataDirectory = analysis::dataDirectory(context.settings, context.folder);

    Platform& platform = context.platform;
    const ProgramFolder& folder = context.folder;
    const analysis::ImportRunner importRun = offeredImport(context);
    ReportGenerator generator(
        platform, folder, dataDirectory, [&](const profiles::RunProfile& run, analysis::StatisticsTable& table) {
            return analysis::runAnalysisPass(platform, folder, analysis::PassInput::from(run, dataDirectory), table,
                                             importRun);
        });
    const RunOutcome outcome = generator.runReport(profile);
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
