#include "CommandTable.h"

#include "commands/ProfileCommand.h"
#include "commands/WebCommand.h"

// Each command registers here, one line per command.

namespace larkspan {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ProfileCommand>());
    commands.push_back(std::make_unique<WebCommand>());
    return commands;
}

}  // namespace larkspan
