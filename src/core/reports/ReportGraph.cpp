#include "common/Text.h"
#include "platform/Platform.h"
#include "reports/ReportGenerator.h"
#include "reports/ReportGraph.h"
#include "reports/ReportTemplates.h"

#include <filesystem>

namespace larkspan {

namespace {

long long chartCell(const ReportGrid& grid, int column)
{
    long long value = -1;
    if (!text::parseInteger(text::trim(grid.cell(column, 9)), value)) return -1;
    return value;
}

}  // namespace

ChartRequest chartRequest(const ReportGrid& grid, bool threeD)
{
    ChartRequest chart;
    const long long valueColumn = chartCell(grid, 1);
    const long long labelColumn = chartCell(grid, 2);
    const long long legendColumn = chartCell(grid, 3);
    const long long kind = chartCell(grid, 4);
    if (grid.detailCount() == 0 || valueColumn < 0 || (kind != 1 && kind != 5)) return chart;
    chart.kind = kind == 1 ? ChartKind::Ranking : ChartKind::TimeSeries;
    chart.threeD = threeD;
    chart.valueLabels = kind == 1;
    int points = grid.detailCount();
    if (kind == 1 && points > 5) points = 5;
    if (kind == 1 && points == 1) chart.height = 100;
    for (int k = 1; k <= points; ++k) {
        const int row = 9 + k;
        const std::string& cell = grid.cell(static_cast<int>(valueColumn), row);
        double value = 0;
        if (cell.find('.') != std::string::npos) {
            if (!text::isNumber(text::trim(cell))) continue;
            value = std::stod(text::trim(cell));
        } else {
            long long whole = 0;
            value = text::parseInteger(text::trim(cell), whole) ? static_cast<double>(whole) : 0.0;
        }
        ChartPoint point;
        point.value = value;
        if (labelColumn < 0) {
            point.label = std::to_string(k);
        } else {
            point.label = grid.cell(static_cast<int>(labelColumn), row);
            if (point.label.size() > 42) point.label = point.label.substr(0, 40) + "...";
        }
        if (legendColumn >= 0 && chart.legend.empty()) chart.legend = grid.cell(static_cast<int>(legendColumn), row);
        chart.points.push_back(std::move(point));
    }
    return chart;
}

void ReportGenerator::GenerateGraph(const std::string& basePath)
{
    const ChartRequest chart = chartRequest(grid_, profile_.g3d);
    if (chart.points.empty()) return;
    const std::string image = basePath + ".jpg";
    try {
        if (!platform_.charts.render(chart, image)) return;
    } catch (const std::exception& e) {
        platform_.messages.show(MessageKind::Error, std::string("Error occurred while Generating Graph\n") + e.what());
        return;
    }
    const std::string name = std::filesystem::path(image).filename().string();
    grid_.setCell(0, 5, text::replaceAll(grid_.cell(0, 5), reports::kGraphMarker,
                                         "<img src=\"" + text::htmlEscape(name) + "\" Alt=\"Graph\">"));
}

}  // namespace larkspan
