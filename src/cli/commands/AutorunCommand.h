#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli autorun [--once]: the autorun runner in the foreground, for
// machines without a desktop (cron, systemd timers, a terminal).
class AutorunCommand : public Command {
  public:
    std::string_view name() const override { return "autorun"; }
    std::string_view summary() const override { return "import the scheduled webs now (--once) or on the schedule"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

} // namespace larkspan
