#pragma once

#include "Command.h"

#include <memory>
#include <vector>

namespace larkspan {

// Every command of the command-line program, in the order --help lists them.
std::vector<std::unique_ptr<Command>> makeCommands();

}  // namespace larkspan
