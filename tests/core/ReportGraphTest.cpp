#include "common/TextFile.h"
#include "reports/ReportGraph.h"
#include "reports/ReportGrid.h"

#include <gtest/gtest.h>

using namespace larkspan;

namespace {

ChartRequest chartRequest(const ReportGrid& grid, bool threeD)
{
    return chartRequestFromGrid(graphGridOf(grid), threeD).value_or(ChartRequest{});
}

ReportGrid rankedGrid(int lines, const char* kind = "1")
{
    ReportGrid grid;
    grid.setCell(1, 9, "1");
    grid.setCell(2, 9, "0");
    grid.setCell(3, 9, "-1");
    grid.setCell(4, 9, kind);
    for (int i = 0; i < lines; ++i) {
        grid.setCell(0, 10 + i, "line " + std::to_string(i + 1));
        grid.setCell(1, 10 + i, std::to_string(100 - i));
    }
    return grid;
}

}  // namespace

TEST(ReportGraph, RankingChartsTheFirstFiveLinesAtMost)
{
    const ChartRequest twelve = chartRequest(rankedGrid(12), false);
    EXPECT_EQ(twelve.kind, ChartKind::Ranking);
    ASSERT_EQ(twelve.points.size(), 5u);
    EXPECT_EQ(twelve.points[4].label, "line 5");
    EXPECT_EQ(twelve.points[4].value, 96);
    EXPECT_TRUE(twelve.valueLabels);
    EXPECT_EQ(twelve.height, 250);
    EXPECT_EQ(chartRequest(rankedGrid(3), false).points.size(), 3u);
    EXPECT_EQ(chartRequest(rankedGrid(1), true).height, 100);
    EXPECT_TRUE(chartRequest(rankedGrid(1), true).threeD);
}

TEST(ReportGraph, TimeSeriesChartsEveryLineWithoutValueLabels)
{
    const ChartRequest month = chartRequest(rankedGrid(31, "5"), false);
    EXPECT_EQ(month.kind, ChartKind::TimeSeries);
    EXPECT_EQ(month.points.size(), 31u);
    EXPECT_FALSE(month.valueLabels);
}

TEST(ReportGraph, NoChartWithoutRowsValueColumnOrKnownKind)
{
    EXPECT_TRUE(chartRequest(rankedGrid(0), false).points.empty());
    EXPECT_TRUE(chartRequest(rankedGrid(4, "3"), false).points.empty());
    ReportGrid none = rankedGrid(4);
    none.setCell(1, 9, "");
    EXPECT_TRUE(chartRequest(none, false).points.empty());
}

TEST(ReportGraph, LabelsAreCutAndUnreadableDecimalsSkipped)
{
    ReportGrid grid = rankedGrid(3);
    grid.setCell(0, 10, std::string(43, 'x'));
    grid.setCell(0, 11, std::string(42, 'y'));
    grid.setCell(1, 12, "1.2.3");
    const ChartRequest chart = chartRequest(grid, false);
    ASSERT_EQ(chart.points.size(), 3u);
    EXPECT_EQ(chart.points[2].label, "");
    EXPECT_EQ(chart.points[0].label, std::string(40, 'x') + "...");
    EXPECT_EQ(chart.points[1].label, std::string(42, 'y'));

    grid.setCell(2, 9, "-1");
    grid.setCell(1, 10, "12.5");
    grid.setCell(1, 11, "lots");
    const ChartRequest numbered = chartRequest(grid, false);
    EXPECT_EQ(numbered.points[0].label, "1");
    EXPECT_DOUBLE_EQ(numbered.points[0].value, 12.5);
    EXPECT_DOUBLE_EQ(numbered.points[1].value, 0);
}
