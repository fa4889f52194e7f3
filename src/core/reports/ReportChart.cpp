#include "reports/ReportChart.h"

#include "common/CellTable.h"
#include "common/Text.h"
#include "platform/Platform.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace larkspan {

namespace {

int settingCell(const GraphGrid& grid, int column)
{
    long long value = 0;
    if (!text::parseInteger(text::trim(grid.cell(column, kChartRow)), value)) return -1;
    if (value < -1 || value > 1000000) return -1;
    return static_cast<int>(value);
}

// A value cell: with "." a decimal number, else a whole number (0 when it is
// none). Nothing when a decimal cell cannot be read: the point is skipped.
std::optional<double> pointValue(const std::string& cell)
{
    if (cell.find('.') != std::string::npos) {
        const std::string number = text::trim(cell);
        double value = 0;
        const char* end = number.data() + number.size();
        const auto [stop, error] = std::from_chars(number.data(), end, value);
        if (number.empty() || error != std::errc() || stop != end) return std::nullopt;
        return value;
    }
    long long whole = 0;
    if (!text::parseInteger(text::trim(cell), whole)) whole = 0;
    return static_cast<double>(whole);
}

// Start offsets of the characters of a UTF-8 text; one per byte when the
// text is not valid UTF-8 (8-bit text from the logs).
std::vector<std::size_t> characterStarts(const std::string& s)
{
    std::vector<std::size_t> starts;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + length <= s.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (!valid) {
            starts.clear();
            for (std::size_t b = 0; b < s.size(); ++b)
                starts.push_back(b);
            return starts;
        }
        starts.push_back(i);
        i += length;
    }
    return starts;
}

} // namespace

GraphGrid graphGridOf(const CellTable& table)
{
    return {table.rowCount(), [&table](int column, int row) { return table.cell(column, row); }};
}

ChartRowSettings ChartRowSettings::read(const GraphGrid& grid)
{
    ChartRowSettings settings;
    settings.valueColumn = settingCell(grid, 1);
    settings.labelColumn = settingCell(grid, 2);
    settings.legendColumn = settingCell(grid, 3);
    settings.kind = settingCell(grid, 4);
    return settings;
}

std::string chartLabel(const std::string& text)
{
    const std::vector<std::size_t> starts = characterStarts(text);
    if (starts.size() <= kLongestWholeLabel) return text;
    return text.substr(0, starts[40]) + "...";
}

std::optional<ChartRequest> chartRequestFromGrid(const GraphGrid& grid, bool threeD)
{
    const ChartRowSettings settings = ChartRowSettings::read(grid);
    const int lines = grid.rowCount - kFirstReportLine;
    if (lines < 1 || settings.valueColumn < 0 || settings.kind < 0) return std::nullopt;

    ChartRequest request;
    request.threeD = threeD;
    int count = 0;
    if (settings.kind == static_cast<int>(ChartKind::Ranking)) {
        request.kind = ChartKind::Ranking;
        count = std::min(lines, 5);
        request.height = count == 1 ? 100 : 250;
        request.valueLabels = true;
    } else if (settings.kind == static_cast<int>(ChartKind::TimeSeries)) {
        request.kind = ChartKind::TimeSeries;
        count = lines;
        request.valueLabels = false;
    } else {
        return std::nullopt;
    }

    for (int k = 1; k <= count; ++k) {
        const int row = kChartRow + k;
        ChartPoint point;
        if (const auto value = pointValue(grid.cell(settings.valueColumn, row))) {
            point.value = *value;
            point.label =
                settings.labelColumn < 0 ? std::to_string(k) : chartLabel(grid.cell(settings.labelColumn, row));
            if (settings.legendColumn >= 0) point.legend = grid.cell(settings.legendColumn, row);
        }
        // An unreadable value leaves its place empty, so later points keep theirs.
        request.points.push_back(std::move(point));
    }
    return request;
}

std::string graphImageTag(const std::string& imagePath)
{
    return "<img src=\"" + std::filesystem::path(imagePath).filename().string() + "\" Alt=\"Graph\">";
}

std::string drawReportChart(Platform& platform, const GraphGrid& grid, bool threeD, const std::string& basePath,
                            const std::string& htmlTemplate)
{
    try {
        const std::optional<ChartRequest> request = chartRequestFromGrid(grid, threeD);
        if (!request) return htmlTemplate;
        const std::string imagePath = basePath + ".jpg";
        if (!platform.charts.render(*request, imagePath)) return htmlTemplate;
        return text::replaceAll(htmlTemplate, kGraphMarker, graphImageTag(imagePath));
    } catch (const std::exception& e) {
        platform.messages.show(MessageKind::Error, std::string("Error occurred while Generating Graph\n") + e.what());
        return htmlTemplate;
    }
}

} // namespace larkspan
