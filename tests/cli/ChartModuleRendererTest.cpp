#include "ChartModuleRenderer.h"

#include "common/Error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace larkspan {
namespace {

ChartRequest oneBar()
{
    ChartRequest chart;
    chart.title = "Pages";
    chart.points.push_back({"/index.html", 3, {}});
    return chart;
}

std::string outputOf(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

TEST(ChartModuleRenderer, ModuleSitsInLibBesideTheProgramsFolder)
{
    EXPECT_EQ(ChartModuleRenderer::moduleBeside("/opt/larkspan/bin/larkspan-cli"),
              "/opt/larkspan/lib/larkspan/larkspan-charts.so");
}

// A module that cannot be loaded fails the first chart with the reason, and
// every later chart of the run is skipped without writing anything.
TEST(ChartModuleRenderer, UnloadableModuleFailsOnceThenSkips)
{
    const auto folder = std::filesystem::temp_directory_path() / "larkspan-chart-module-test";
    std::filesystem::create_directories(folder);
    const std::string notAModule = (folder / "larkspan-charts.so").string();
    std::ofstream(notAModule) << "not a shared library";
    const std::string jpeg = (folder / "chart.jpg").string();

    for (const std::string& path : {notAModule, (folder / "missing.so").string()}) {
        ChartModuleRenderer renderer(path);
        try {
            renderer.render(oneBar(), jpeg);
            ADD_FAILURE() << "no error for " << path;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_FALSE(renderer.render(oneBar(), jpeg));
        EXPECT_FALSE(std::filesystem::exists(jpeg));
    }
    std::filesystem::remove_all(folder);
}

TEST(ChartModuleRenderer, LibraryWithoutTheEntryPointIsNotAChartModule)
{
    ChartModuleRenderer renderer("libz.so.1");
    EXPECT_THROW(renderer.render(oneBar(), "/nonexistent/chart.jpg"), Error);
    EXPECT_FALSE(renderer.render(oneBar(), "/nonexistent/chart.jpg"));
}

// The command line loads Qt only to draw a chart: a command that draws none
// starts without it.
TEST(ChartModuleRenderer, CommandWithoutChartsLoadsNoQt)
{
    const std::string loaded =
        outputOf(std::string("LD_DEBUG=libs '") + LARKSPAN_CLI_PATH + "' --version 2>&1 >/dev/null");
    ASSERT_NE(loaded.find("libc.so"), std::string::npos) << "the loader's report was not captured";
    EXPECT_EQ(loaded.find("libQt6"), std::string::npos);
    EXPECT_EQ(loaded.find("larkspan-charts"), std::string::npos);
}

} // namespace
} // namespace larkspan
