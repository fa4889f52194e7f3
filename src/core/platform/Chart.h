#pragma once

#include <string>
#include <vector>

namespace larkspan {

struct ChartPoint {
    std::string label;   // shown under the point; the caller cuts long texts
    double value = 0;
    std::string legend;  // empty: the point has no legend entry
};

enum class ChartKind { Ranking = 1, TimeSeries = 5 };

// One chart as a report asks for it. A ranking draws one bar per point with
// its whole-number value on top; a time series draws every point in order as
// a line, without value labels.
struct ChartRequest {
    ChartKind kind = ChartKind::Ranking;
    std::string title;
    std::vector<ChartPoint> points;
    bool threeD = false;
    bool valueLabels = true;
    int width = 500;
    int height = 250;
};

// Draws a chart and writes it as a JPEG file. Throws Error on failure.
class ChartRenderer {
public:
    virtual ~ChartRenderer() = default;
    // False when no renderer is available (nothing written).
    virtual bool render(const ChartRequest& chart, const std::string& jpegPath) = 0;
};

// A chart module is a shared library the command line loads when it draws
// its first chart. Its entry point of this name makes a renderer, which the
// caller owns.
inline constexpr const char* kChartModuleEntryPoint = "larkspan_make_chart_renderer";
using ChartModuleEntryPoint = ChartRenderer* (*)();

}  // namespace larkspan
