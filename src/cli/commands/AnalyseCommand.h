#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli analyse PROFILE: runs the analysis pass of a profile and
// prints the general statistics (and, on request, every list).
class AnalyseCommand : public Command {
public:
    std::string_view name() const override { return "analyse"; }
    std::string_view summary() const override { return "run a profile's analysis pass and print its statistics"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
    bool interruptCancels() const override { return true; }
};

}  // namespace larkspan
