#include "CliApp.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string executable = "/proc/self/exe";
    larkspan::CliStreams streams{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0};
    return larkspan::runCli(executable, args, streams);
}
