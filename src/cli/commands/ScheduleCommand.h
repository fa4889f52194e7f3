#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli schedule show|set: the autorun schedule editor on the
// command line, with the same files and checks.
class ScheduleCommand : public Command {
  public:
    std::string_view name() const override { return "schedule"; }
    std::string_view summary() const override { return "show or set the autorun schedule (webs and interval)"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

} // namespace larkspan
