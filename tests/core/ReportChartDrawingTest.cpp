#include "reports/ReportChart.h"

#include "common/CellTable.h"
#include "common/Error.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

// A report grid of text cells: ten header rows, then the report lines.
struct Grid {
    std::vector<std::vector<std::string>> rows = std::vector<std::vector<std::string>>(10);

    void chartRow(std::vector<std::string> cells) { rows[9] = std::move(cells); }
    void line(std::vector<std::string> cells) { rows.push_back(std::move(cells)); }
    GraphGrid view() const
    {
        return {static_cast<int>(rows.size()), [this](int column, int row) -> std::string {
                    if (row < 0 || row >= static_cast<int>(rows.size())) return "";
                    const auto& cells = rows[static_cast<std::size_t>(row)];
                    return column >= 0 && column < static_cast<int>(cells.size())
                               ? cells[static_cast<std::size_t>(column)]
                               : "";
                }};
    }
};

Grid rankedGrid(int lines)
{
    Grid grid;
    grid.chartRow({"5", "1", "0", "-1", "1"});
    for (int i = 1; i <= lines; ++i)
        grid.line({"/page" + std::to_string(i), std::to_string(100 - i), "1.0%"});
    return grid;
}

class RecordingCharts : public ChartRenderer {
  public:
    bool render(const ChartRequest& chart, const std::string& path) override
    {
        if (!failure.empty()) throw Error(failure);
        requests.push_back(chart);
        paths.push_back(path);
        return available;
    }
    std::vector<ChartRequest> requests;
    std::vector<std::string> paths;
    std::string failure;
    bool available = true;
};

struct GraphFixture : ::testing::Test {
    FakePlatform fake;
    RecordingCharts charts;
    Platform platform{fake.messages, fake.pump, fake.progress, fake.cancel, fake.clock, fake.shell,
                      fake.mail,     charts,    fake.ftp,      fake.dns,    fake.help};
    const std::string page = "<p align=\"center\"><!-- graph --></p><table>";

    std::string run(const Grid& grid, bool threeD = false)
    {
        return drawReportChart(platform, grid.view(), threeD, "/reports/weekly/LKRPages", page);
    }
};

} // namespace

TEST_F(GraphFixture, RankingChartsTheFirstFiveLinesAndPutsTheImageInThePage)
{
    const std::string html = run(rankedGrid(12), true);
    EXPECT_EQ(html, "<p align=\"center\"><img src=\"LKRPages.jpg\" Alt=\"Graph\"></p><table>");
    ASSERT_EQ(charts.requests.size(), 1u);
    EXPECT_EQ(charts.paths[0], "/reports/weekly/LKRPages.jpg");
    const ChartRequest& chart = charts.requests[0];
    EXPECT_EQ(chart.kind, ChartKind::Ranking);
    EXPECT_TRUE(chart.threeD);
    EXPECT_TRUE(chart.valueLabels);
    EXPECT_EQ(chart.height, 250);
    ASSERT_EQ(chart.points.size(), 5u);
    EXPECT_EQ(chart.points[0].label, "/page1");
    EXPECT_EQ(chart.points[0].value, 99);
    EXPECT_EQ(chart.points[4].label, "/page5");
    EXPECT_TRUE(chart.points[4].legend.empty());
    EXPECT_TRUE(fake.messages.recorded.empty());
}

TEST_F(GraphFixture, RankingPointCountAndHeightFollowTheLines)
{
    run(rankedGrid(3));
    run(rankedGrid(1));
    ASSERT_EQ(charts.requests.size(), 2u);
    EXPECT_EQ(charts.requests[0].points.size(), 3u);
    EXPECT_EQ(charts.requests[0].height, 250);
    EXPECT_EQ(charts.requests[1].points.size(), 1u);
    EXPECT_EQ(charts.requests[1].height, 100);
    EXPECT_EQ(charts.requests[1].width, 500);
}

TEST_F(GraphFixture, TimeSeriesChartsEveryLineInOrderAtFullHeight)
{
    Grid grid;
    grid.chartRow({"5", "7", "6", "-1", "5"});
    for (int day = 1; day <= 31; ++day) {
        const std::string dd = (day < 10 ? "0" : "") + std::to_string(day);
        grid.line({"2000-01-" + dd, "", "1,024.50", "3.1%", "", "Jan " + dd, "01/" + dd, std::to_string(day) + ".25"});
    }
    run(rankedGrid(1)); // a one-point chart before must not shrink the next one
    run(grid);
    ASSERT_EQ(charts.requests.size(), 2u);
    const ChartRequest& chart = charts.requests[1];
    EXPECT_EQ(chart.kind, ChartKind::TimeSeries);
    EXPECT_FALSE(chart.valueLabels);
    EXPECT_EQ(chart.height, 250);
    ASSERT_EQ(chart.points.size(), 31u);
    EXPECT_EQ(chart.points[0].label, "01/01");
    EXPECT_DOUBLE_EQ(chart.points[0].value, 1.25);
    EXPECT_EQ(chart.points[30].label, "01/31");
    EXPECT_DOUBLE_EQ(chart.points[30].value, 31.25);
}

TEST_F(GraphFixture, ValueCellsLabelsAndLegends)
{
    Grid grid;
    grid.chartRow({"", "1", "-1", "2", "1"});
    grid.line({"a", "12", "first"});
    grid.line({"b", "1.2.3", "second"}); // unreadable decimal: the point stays empty
    grid.line({"c", "many", "third"});   // not a whole number: 0
    grid.line({"d", " 7.5 ", "fourth"});
    run(grid);
    ASSERT_EQ(charts.requests.size(), 1u);
    const auto& points = charts.requests[0].points;
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].label, "1");
    EXPECT_EQ(points[0].legend, "first");
    EXPECT_EQ(points[1].label, "");
    EXPECT_EQ(points[1].legend, "");
    EXPECT_EQ(points[1].value, 0);
    EXPECT_EQ(points[2].label, "3");
    EXPECT_EQ(points[2].value, 0);
    EXPECT_DOUBLE_EQ(points[3].value, 7.5);
}

TEST(ChartLabel, CutAfterFortyTwoCharacters)
{
    const std::string fortyTwo(42, 'x');
    EXPECT_EQ(chartLabel(fortyTwo), fortyTwo);
    EXPECT_EQ(chartLabel(fortyTwo + "y"), std::string(40, 'x') + "...");
    EXPECT_EQ(chartLabel(""), "");
    // Characters, not bytes, of UTF-8 text; 8-bit text counts bytes.
    std::string accented;
    for (int i = 0; i < 43; ++i)
        accented += "\xC3\xA9";
    std::string cut;
    for (int i = 0; i < 40; ++i)
        cut += "\xC3\xA9";
    EXPECT_EQ(chartLabel(accented), cut + "...");
    EXPECT_EQ(chartLabel(std::string(21, '\xE9')), std::string(21, '\xE9'));
    EXPECT_EQ(chartLabel(std::string(43, '\xE9')), std::string(40, '\xE9') + "...");
}

TEST_F(GraphFixture, NoChartLeavesTheMarkerAndWritesNothing)
{
    Grid noValueColumn = rankedGrid(4);
    noValueColumn.rows[9] = {"5", "-1", "0", "-1", "1"};
    Grid emptyRow = rankedGrid(4);
    emptyRow.rows[9] = {};
    Grid otherKind = rankedGrid(4);
    otherKind.rows[9] = {"5", "1", "0", "-1", "3"};
    Grid junkKind = rankedGrid(4);
    junkKind.rows[9] = {"5", "1", "0", "-1", "bar"};
    const Grid noLines = rankedGrid(0);
    for (const Grid* grid :
         std::initializer_list<const Grid*>{&noValueColumn, &emptyRow, &otherKind, &junkKind, &noLines})
        EXPECT_EQ(run(*grid), page);
    EXPECT_TRUE(charts.requests.empty());
    EXPECT_TRUE(fake.messages.recorded.empty());
}

TEST_F(GraphFixture, FailureIsShownAndThePageKeepsItsMarker)
{
    charts.failure = "Unable to write the chart image /reports/weekly/LKRPages.jpg";
    EXPECT_EQ(run(rankedGrid(3)), page);
    ASSERT_EQ(fake.messages.recorded.size(), 1u);
    EXPECT_EQ(fake.messages.recorded[0].kind, MessageKind::Error);
    EXPECT_EQ(fake.messages.recorded[0].text,
              "Error occurred while Generating Graph\nUnable to write the chart image /reports/weekly/LKRPages.jpg");

    // Without a renderer (a build without Qt) nothing is drawn and nothing said.
    charts.failure.clear();
    charts.available = false;
    EXPECT_EQ(run(rankedGrid(3)), page);
    EXPECT_EQ(fake.messages.recorded.size(), 1u);
}

TEST_F(GraphFixture, ReadsAGridKeptAsACellTable)
{
    CellTable table(5, 12);
    for (int column = 1; column <= 4; ++column)
        table.setCell(column, 9, column == 2 ? "0" : column == 3 ? "-1" : "1");
    table.setCell(0, 10, "/index.html");
    table.setCell(1, 10, "40");
    table.setCell(0, 11, "/news.html");
    table.setCell(1, 11, "25");
    drawReportChart(platform, graphGridOf(table), false, "/reports/weekly/LKRPages", page);
    ASSERT_EQ(charts.requests.size(), 1u);
    ASSERT_EQ(charts.requests[0].points.size(), 2u);
    EXPECT_EQ(charts.requests[0].points[1].label, "/news.html");
    EXPECT_EQ(charts.requests[0].points[1].value, 25);
}
