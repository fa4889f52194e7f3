#include "CliRunner.h"
#include "common/TextFile.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

namespace {

// Sets LARKSPAN_THREADS for one scope.
class ThreadSetting {
  public:
    explicit ThreadSetting(const std::string& value) { ::setenv("LARKSPAN_THREADS", value.c_str(), 1); }
    ~ThreadSetting() { ::unsetenv("LARKSPAN_THREADS"); }
};

// Every file under root by relative path, the report times blanked.
std::map<std::string, std::string> filesUnder(const std::string& root)
{
    static const std::regex time("[0-9]{1,2}:[0-9]{2}:[0-9]{2} [AP]M on [0-9]{2}/[0-9]{2}/[0-9]{4}");
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string content;
        larkspan::readWholeFile(entry.path().string(), content);
        out[std::filesystem::relative(entry.path(), root).string()] = std::regex_replace(content, time, "TIME");
    }
    return out;
}

} // namespace

// Generated logs of every layout, three source files a day (so each day
// file holds several imported segments), analysed and reported with one to
// four threads: the lists, the statistics grid, the demographic data and
// every report file are the same.
TEST(ParallelAnalysisCommand, OneToFourThreadsWriteTheSameStatisticsAndReports)
{
    for (const char* layout : {"ncsa-common", "ncsa-combined", "ncsa-site", "w3c", "csv", "netscape"}) {
        SCOPED_TRACE(layout);
        TempFolder temp;
        const std::string home = temp.file("home");
        auto cli = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {"--home", home, "--yes"});
            return runCommandLine(args);
        };
        std::filesystem::create_directories(temp.file("logs"));
        for (const char* seed : {"3", "17", "29"}) {
            const std::string folder = temp.file(std::string("seed") + seed);
            ASSERT_EQ(cli({"sample-logs", folder, "--layout", layout, "--days", "5", "--lines-per-day", "300", "--seed",
                           seed, "--start", "2026-01-30"})
                          .status,
                      0);
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                std::filesystem::rename(
                    entry.path(), temp.file("logs/s" + std::string(seed) + "-" + entry.path().filename().string()));
        }
        ASSERT_EQ(cli({"web", "add", "site", "--files", temp.file("logs") + "/*.log"}).status, 0);
        ASSERT_EQ(cli({"import", "site", "--no-tracker"}).status, 0);
        ASSERT_EQ(cli({"profile",
                       "new",
                       "p",
                       "--web",
                       "site",
                       "--url",
                       "http://www.example.com",
                       "--from",
                       "01/30/2026",
                       "--to",
                       "02/03/2026",
                       "--set",
                       "maxrows=ALL",
                       "--set",
                       "demogs=TRUE",
                       "--set",
                       "oadmin=TRUE",
                       "--set",
                       "admin-email=",
                       "--set",
                       "ocsv=TRUE",
                       "--set",
                       "ovrwrite=TRUE"})
                      .status,
                  0);

        std::string lists;
        std::string grid;
        std::string demographics;
        std::map<std::string, std::string> reports;
        for (const char* threads : {"1", "2", "3", "4"}) {
            SCOPED_TRACE(threads);
            ThreadSetting setting(threads);
            const auto analysed = cli({"analyse", "p", "--lists", "--grid", temp.file("grid.txt")});
            ASSERT_EQ(analysed.status, 0) << analysed.err;
            std::string gridText;
            std::string demographicText;
            ASSERT_TRUE(larkspan::readWholeFile(temp.file("grid.txt"), gridText));
            ASSERT_TRUE(larkspan::readWholeFile(home + "/My Profiles/p.dmgrpt", demographicText));
            const auto reported = cli({"report", "p"});
            ASSERT_EQ(reported.status, 0) << reported.err;
            const auto files = filesUnder(home + "/Reports/p");
            if (lists.empty()) {
                ASSERT_NE(analysed.out.find("Robot hits: "), std::string::npos);
                lists = analysed.out;
                grid = gridText;
                demographics = demographicText;
                reports = files;
                continue;
            }
            EXPECT_EQ(analysed.out, lists);
            EXPECT_EQ(gridText, grid);
            EXPECT_EQ(demographicText, demographics);
            EXPECT_EQ(files.size(), reports.size());
            for (const auto& [name, bytes] : reports)
                EXPECT_EQ(files.count(name) ? files.at(name) : "", bytes) << name;
        }
    }
}
