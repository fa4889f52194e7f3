#pragma once

#include "Command.h"

namespace larkspan {

// sample-logs DIR --layout L --days N --lines-per-day M --seed S [--start yyyy-mm-dd] [--gzip]
class SampleLogsCommand : public Command {
public:
    std::string_view name() const override { return "sample-logs"; }
    std::string_view summary() const override { return "write deterministic sample access logs"; }
    std::string_view usage() const override;
    int run(CommandContext& context, const std::vector<std::string>& args) override;
    bool interruptCancels() const override { return true; }
};

} // namespace larkspan
