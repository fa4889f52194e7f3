#pragma once

#include "Command.h"

namespace larkspan {

// larkspan-cli lookup ADDRESS_OR_NAME: one host name lookup through the
// program-wide cache, recording answers and failures in its files.
class LookupCommand : public Command {
public:
    std::string_view name() const override { return "lookup"; }
    std::string_view summary() const override { return "look up a client's host name (cached answers first)"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
};

}  // namespace larkspan
