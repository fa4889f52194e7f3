#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli tracker WEB DATE [--requests] [--client ADDRESS]: a day's
// visitors (and their requests) as the session tracker files hold them.
class TrackerCommand : public Command {
public:
    std::string_view name() const override { return "tracker"; }
    std::string_view summary() const override { return "show a day's visitors from the session tracker files"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

}  // namespace larkspan
