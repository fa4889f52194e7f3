#include "reports/ReportChart.h"
#include "QtChartRenderer.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <QImageReader>
#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

// A report grid: ten header rows with the chart row, then the report lines.
struct Grid {
    std::vector<std::vector<std::string>> rows = std::vector<std::vector<std::string>>(10);
    GraphGrid view() const
    {
        return {static_cast<int>(rows.size()), [this](int column, int row) -> std::string {
                    const auto& cells = rows.at(static_cast<std::size_t>(row));
                    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                                           : "";
                }};
    }
};

Grid report(const std::vector<std::string>& chartRow, int lines)
{
    Grid grid;
    grid.rows[9] = chartRow;
    for (int i = 1; i <= lines; ++i)
        grid.rows.push_back({"/a/rather/long/path/to/page/number/" + std::to_string(i) + "/index.html",
                             std::to_string(1000 / i), "", "", "", "", std::to_string(i)});
    return grid;
}

struct ReportChart : ::testing::Test {
    TempFolder temp;
    FakePlatform fake;
    QtChartRenderer charts;
    Platform platform{fake.messages, fake.pump, fake.progress, fake.cancel, fake.clock, fake.shell,
                      fake.mail,     charts,    fake.ftp,      fake.dns,    fake.help};
    const std::string page = "<p><!-- graph --></p>";

    std::string run(const Grid& grid, bool threeD = false)
    {
        return drawReportChart(platform, grid.view(), threeD, temp.file("LKRPages"), page);
    }
    QSize imageSize() { return QImageReader(QString::fromStdString(temp.file("LKRPages.jpg"))).size(); }
};

} // namespace

TEST_F(ReportChart, ChartFilesBesideTheReport)
{
    EXPECT_EQ(run(report({"5", "1", "0", "-1", "1"}, 12), true), "<p><img src=\"LKRPages.jpg\" Alt=\"Graph\"></p>");
    EXPECT_EQ(imageSize(), QSize(500, 250));
    run(report({"5", "1", "0", "-1", "1"}, 1));
    EXPECT_EQ(imageSize(), QSize(500, 100));
    run(report({"5", "1", "6", "-1", "5"}, 31), true);
    EXPECT_EQ(imageSize(), QSize(500, 250));
    EXPECT_TRUE(fake.messages.recorded.empty());
}

TEST_F(ReportChart, NoChartNoFile)
{
    EXPECT_EQ(run(report({"5", "-1", "0", "-1", "1"}, 12)), page);
    EXPECT_EQ(run(report({"5", "1", "0", "-1", "1"}, 0)), page);
    EXPECT_EQ(run(report({"5", "1", "0", "-1", "2"}, 4)), page);
    EXPECT_FALSE(std::filesystem::exists(temp.file("LKRPages.jpg")));
}

TEST_F(ReportChart, UnwritableImageIsReportedAndThePageGoesOn)
{
    const std::string html = drawReportChart(platform, report({"5", "1", "0", "-1", "1"}, 3).view(), false,
                                             temp.file("gone/LKRPages"), page);
    EXPECT_EQ(html, page);
    ASSERT_EQ(fake.messages.recorded.size(), 1u);
    EXPECT_EQ(fake.messages.recorded[0].text.rfind(
                  "Error occurred while Generating Graph\nUnable to write the chart image ", 0),
              0u);
}
