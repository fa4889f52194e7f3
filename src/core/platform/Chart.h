#pragma once

#include <string>
#include <vector>

namespace larkspan {

struct ChartPoint {
    std::string label;
    double value = 0;
};

enum class ChartKind { Ranking = 1, TimeSeries = 5 };

struct ChartRequest {
    ChartKind kind = ChartKind::Ranking;
    std::string title;
    std::string legend;
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

}  // namespace larkspan
