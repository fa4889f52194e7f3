#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli web add|list|show|delete: the web manager on the command line.
class WebCommand : public Command {
public:
    std::string_view name() const override { return "web"; }
    std::string_view summary() const override { return "add, list, show or delete webs (log sources)"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

}  // namespace larkspan
