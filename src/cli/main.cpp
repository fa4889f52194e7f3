#include "CliApp.h"

#ifdef LARKSPAN_CHART_MODULE
#include "ChartModuleRenderer.h"
#endif

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string executable = "/proc/self/exe";
    larkspan::CliStreams streams{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0};
    larkspan::CliServices services;
#ifdef LARKSPAN_CHART_MODULE
    larkspan::ChartModuleRenderer charts(larkspan::ChartModuleRenderer::moduleBeside(executable));
    services.charts = &charts;
#endif
    return larkspan::runCli(executable, args, streams, services);
}
