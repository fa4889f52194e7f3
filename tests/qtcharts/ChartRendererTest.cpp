#include "ChartLayout.h"
#include "HeadlessChartRenderer.h"
#include "QtChartRenderer.h"
#include "common/Error.h"
#include "fakes/TempFolder.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

HeadlessChartRenderer* headless = nullptr;

ChartRequest ranking(std::vector<double> values, bool threeD = false)
{
    ChartRequest request;
    request.kind = ChartKind::Ranking;
    request.threeD = threeD;
    for (std::size_t i = 0; i < values.size(); ++i)
        request.points.push_back({"/page" + std::to_string(i + 1) + ".html", values[i], ""});
    return request;
}

ChartRequest timeSeries(int days, bool threeD = false)
{
    ChartRequest request;
    request.kind = ChartKind::TimeSeries;
    request.valueLabels = false;
    request.threeD = threeD;
    for (int day = 1; day <= days; ++day) {
        char label[16];
        std::snprintf(label, sizeof label, "01/%02d", day);
        request.points.push_back({label, 100.0 + (day * 37) % 90, ""});
    }
    return request;
}

QSize decodedJpegSize(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    return reader.read().size();
}

// Counts the runs of bar colour along one pixel row.
int barsAlongRow(const QImage& image, int y)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        const bool bar = c.blue() > 140 && c.red() < 110 && c.green() < 150;
        if (bar && !inside) ++runs;
        inside = bar;
    }
    return runs;
}

}  // namespace

TEST(ChartFiles, RankingAndTimeSeriesAreJpegsOfTheAskedSize)
{
    TempFolder temp;
    struct Case {
        ChartRequest request;
        const char* name;
        QSize size;
    } cases[] = {
        {ranking({120, 80, 45, 12, 3}), "rank2d.jpg", QSize(500, 250)},
        {ranking({120, 80, 45}, true), "rank3d.jpg", QSize(500, 250)},
        {timeSeries(31), "days2d.jpg", QSize(500, 250)},
        {timeSeries(24, true), "hours3d.jpg", QSize(500, 250)},
    };
    cases[0].request.points[0].legend = "first";
    cases[3].request.points[5].legend = "weekend";
    ChartRequest single = ranking({7});
    single.height = 100;
    for (auto& c : cases) {
        const std::string path = temp.file(c.name);
        ASSERT_TRUE(headless->render(c.request, path));
        EXPECT_EQ(decodedJpegSize(path), c.size) << c.name;
    }
    ASSERT_TRUE(headless->render(single, temp.file("single.jpg")));
    EXPECT_EQ(decodedJpegSize(temp.file("single.jpg")), QSize(500, 100));
    for (bool threeD : {false, true}) {
        ASSERT_TRUE(headless->render(timeSeries(1, threeD), temp.file("one-day.jpg")));
        EXPECT_EQ(decodedJpegSize(temp.file("one-day.jpg")), QSize(500, 250));
    }
}

TEST(ChartFiles, FailuresAreErrorsNotCrashes)
{
    TempFolder temp;
    EXPECT_THROW(headless->render(ranking({}), temp.file("empty.jpg")), Error);
    EXPECT_THROW(headless->render(ranking({1, 2}), temp.file("no/such/folder/chart.jpg")), Error);
    ChartRequest odd = ranking({std::nan(""), 1e308, -4});
    EXPECT_NO_THROW(headless->render(odd, temp.file("odd.jpg")));
}

TEST(ChartFiles, ALinkAtTheImageNameIsReplacedNotWrittenThrough)
{
    TempFolder temp;
    const std::string victim = temp.write("outside/victim.txt", "precious");
    const std::string chart = temp.file("LKRPages.jpg");
    std::filesystem::create_symlink(victim, chart);
    ASSERT_TRUE(headless->render(ranking({1, 2}), chart));
    EXPECT_EQ(temp.read("outside/victim.txt"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(chart));
    EXPECT_EQ(decodedJpegSize(chart), QSize(500, 250));
    EXPECT_EQ(std::filesystem::status(chart).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(ChartDrawing, OneBarPerRankingPoint)
{
    for (std::size_t count : {1u, 3u, 5u}) {
        ChartRequest request = ranking(std::vector<double>(count, 50));
        if (count == 1) request.height = 100;
        const QImage image = QtChartRenderer::draw(request);
        // Some row just above the base line crosses every bar.
        int best = 0;
        for (int y = image.height() / 3; y < image.height(); ++y) best = std::max(best, barsAlongRow(image, y));
        EXPECT_EQ(best, static_cast<int>(count)) << count << " points";
    }
}

TEST(ChartLayout, LongLabelsWrapInsideTheirSlotAndTheFrameFitsTheImage)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QFontMetricsF metrics(font);
    ChartRequest request = ranking({900, 800, 700, 600, 500});
    for (ChartPoint& point : request.points) point.label = std::string(40, 'w') + "...";
    request.points[1].label = "/a/rather/long/path/to/some/page/index.html";
    const ChartFrame frame = layOutChart(request, metrics, metrics);
    ASSERT_EQ(frame.labelLines.size(), 5u);
    const qreal slot = frame.plot.width() / 5;
    for (const QStringList& lines : frame.labelLines) {
        EXPECT_GT(lines.size(), 1);
        for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), slot) << line.toStdString();
    }
    EXPECT_TRUE(frame.labelLines[1].join(QString()).remove(' ') == "/a/rather/long/path/to/some/page/index.html");
    EXPECT_GE(frame.plot.left(), metrics.horizontalAdvance("1000"));
    EXPECT_LE(frame.plot.bottom() + frame.labelLines[0].size() * metrics.height(), request.height);
    EXPECT_GE(frame.scale.maximum(), 900);
}

TEST(ChartLayout, CrowdedTimeSeriesLabelsTurnUprightAndThinOut)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QFontMetricsF metrics(font);
    const ChartFrame days = layOutChart(timeSeries(31), metrics, metrics);
    EXPECT_TRUE(days.rotateLabels);
    EXPECT_EQ(days.labelLines.size(), 31u);
    const qreal slot = days.plot.width() / 31;
    EXPECT_GE(slot * days.labelStep, metrics.height());
    const ChartFrame year = layOutChart(timeSeries(366), metrics, metrics);
    EXPECT_GT(year.labelStep, 1);
    const ChartFrame hours = layOutChart(timeSeries(6), metrics, metrics);
    EXPECT_FALSE(hours.rotateLabels);
    EXPECT_EQ(hours.labelStep, 1);
}

TEST(ChartLayout, ValueScaleCoversTheValuesInRoundSteps)
{
    const ValueScale counts = niceScale(0, 7, 4, true);
    EXPECT_EQ(counts.step, 2);
    EXPECT_EQ(counts.decimals, 0);
    EXPECT_GE(counts.maximum(), 7);
    const ValueScale one = niceScale(0, 1, 4, true);
    EXPECT_EQ(one.step, 1);
    EXPECT_EQ(one.steps, 1);
    const ValueScale kilobytes = niceScale(0, 0.37, 4, false);
    EXPECT_GE(kilobytes.maximum(), 0.37);
    EXPECT_EQ(kilobytes.decimals, 1);
    const ValueScale negative = niceScale(-30, 70, 4, true);
    EXPECT_LE(negative.minimum, -30);
    EXPECT_GE(negative.maximum(), 70);
    const ValueScale zero = niceScale(0, 0, 4, true);
    EXPECT_GT(zero.maximum(), 0);
}

TEST(HeadlessStart, OffscreenIsChosenOnlyWhenNoPlatformIsNamed)
{
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    unsetenv("QT_QPA_PLATFORM");
    preferOffscreenPlatform();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    preferOffscreenPlatform();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
    qputenv("QT_QPA_PLATFORM", saved);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The renderer the command line uses makes the Qt application itself.
    unsetenv("QT_QPA_PLATFORM");
    HeadlessChartRenderer renderer;
    renderer.ensureApplication();
    headless = &renderer;
    return RUN_ALL_TESTS();
}
