// The entry point of the chart module the command line loads at its first
// chart (see kChartModuleEntryPoint).
#include "HeadlessChartRenderer.h"

extern "C" __attribute__((visibility("default"))) larkspan::ChartRenderer* larkspan_make_chart_renderer()
{
    return new larkspan::HeadlessChartRenderer();
}
