#pragma once

#include "CliApp.h"

#include <sstream>
#include <string>
#include <vector>

namespace larkspan::testing {

struct CliResult {
    int status = 0;
    std::string out;
    std::string err;
};

// Runs the command-line program in-process with the given arguments.
inline CliResult runCommandLine(const std::vector<std::string>& args, CliServices services = {},
                                const std::string& input = {})
{
    std::ostringstream out, err;
    std::istringstream in(input);
    const int status = runCli("/proc/self/exe", args, CliStreams{out, err, in, !input.empty()}, services);
    return {status, out.str(), err.str()};
}

}  // namespace larkspan::testing
