#include "CommandTable.h"

// Each command registers here, one line per command.

namespace larkspan {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    return commands;
}

}  // namespace larkspan
