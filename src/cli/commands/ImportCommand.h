#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli import NAME [--no-tracker]: one import run of one web.
class ImportCommand : public Command {
public:
    std::string_view name() const override { return "import"; }
    std::string_view summary() const override { return "import the new log files of a web"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
    bool interruptCancels() const override { return true; }
};

}  // namespace larkspan
