#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli profile new|set|show|list|delete|filter ...: report profiles
// as the profile editor and the main window keep them.
class ProfileCommand : public Command {
public:
    std::string_view name() const override { return "profile"; }
    std::string_view summary() const override { return "create, change, show, list and delete report profiles"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

}  // namespace larkspan
