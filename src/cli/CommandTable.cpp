#include "CommandTable.h"

#include "commands/AnalyseCommand.h"
#include "commands/AutorunCommand.h"
#include "commands/ImportCommand.h"
#include "commands/ProfileCommand.h"
#include "commands/ReportCommand.h"
#include "commands/SampleLogsCommand.h"
#include "commands/ScheduleCommand.h"
#include "commands/WebCommand.h"

// Each command registers here, one line per command.

namespace larkspan {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<WebCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    commands.push_back(std::make_unique<ProfileCommand>());
    commands.push_back(std::make_unique<AnalyseCommand>());
    commands.push_back(std::make_unique<ReportCommand>());
    commands.push_back(std::make_unique<SampleLogsCommand>());
    commands.push_back(std::make_unique<ScheduleCommand>());
    commands.push_back(std::make_unique<AutorunCommand>());
    return commands;
}

}  // namespace larkspan
