#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli report PROFILE: the whole report run of a profile, headless.
class ReportCommand : public Command {
  public:
    std::string_view name() const override { return "report"; }
    std::string_view summary() const override { return "run a report profile and write its report set"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
    bool interruptCancels() const override { return true; }
};

} // namespace larkspan
