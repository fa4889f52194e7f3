#pragma once

#include "platform/Chart.h"

#include <functional>
#include <optional>
#include <string>

namespace larkspan {

class CellTable;
struct Platform;

// The report grid as the chart reads it: its row count (the ten header rows
// included; report lines are rows 10 on) and its cells by column and row
// ("" outside the grid).
struct GraphGrid {
    int rowCount = 0;
    std::function<std::string(int column, int row)> cell;
};

// A grid kept as a CellTable; the table must outlive the view.
GraphGrid graphGridOf(const CellTable& table);

// The chart row (row 9): columns 1 to 4. An empty or non-numeric cell reads as -1.
struct ChartRowSettings {
    int valueColumn = -1;
    int labelColumn = -1;
    int legendColumn = -1;
    int kind = -1;

    static ChartRowSettings read(const GraphGrid& grid);
};

inline constexpr int kChartRow = 9;
inline constexpr int kFirstReportLine = 10;
inline constexpr std::size_t kLongestWholeLabel = 42; // longer labels are cut to 40 and "..."
inline constexpr const char* kGraphMarker = "<!-- graph -->";

// The chart the grid asks for, or nothing when it asks for none: no report
// line, no value column, or a kind other than 1 (ranking: the first five
// lines, whole-number value labels, 100 pixels high for one point) or 5
// (time series: every line in order, no value labels).
std::optional<ChartRequest> chartRequestFromGrid(const GraphGrid& grid, bool threeD);

// A label as the chart shows it: cut to its first 40 characters followed by
// "..." when it is longer than 42.
std::string chartLabel(const std::string& text);

// <img src="NAME.jpg" Alt="Graph"> for the image file, named without folder.
std::string graphImageTag(const std::string& imagePath);

// Called by the report run when the profile's gengraph is on. Draws the
// grid's chart into basePath + ".jpg" and returns the HTML template with its
// "<!-- graph -->" marker replaced by the image tag. When no chart is asked
// for, no renderer is there, or drawing fails, the template comes back
// unchanged; a failure is shown as "Error occurred while Generating Graph\n"
// and its message, and the report goes on.
std::string drawReportChart(Platform& platform, const GraphGrid& grid, bool threeD, const std::string& basePath,
                            const std::string& htmlTemplate);

} // namespace larkspan
