#include "ReportBuilderFixture.h"
#include "common/Error.h"
#include "common/Text.h"
#include "reports/DemographicReports.h"
#include "reports/PageReports.h"
#include "reports/RankedBuild.h"
#include "reports/ReferralReports.h"
#include "reports/ReferrerRules.h"
#include "reports/TrafficReports.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace larkspan;

namespace {

// What a built report shows: the grid's width, its summary and every
// detail cell with its markup.
struct Shown {
    int columns = 0;
    std::string summary;
    std::vector<std::vector<std::string>> rows;
};

Shown shownBy(const ReportGrid& grid)
{
    Shown s{grid.columnCount(), grid.cell(0, 4), {}};
    for (int r = ReportGrid::kFirstDetailRow; r < grid.rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid.columnCount(); ++c)
            row.push_back(grid.cell(c, r) + "|" + grid.htmlCell(c, r));
        s.rows.push_back(row);
    }
    return s;
}

// "Unique Shown" and the shown sums differ between limits; the unique count
// must not.
std::string uniquePart(const std::string& summary)
{
    const std::size_t of = summary.find(" of ");
    return summary.substr(of, summary.find("<br>", of) - of);
}

// Builds with maxrows ALL, 7 and 0: the limited reports show the first rows
// of the full one, count the same unique rows and keep the grid as wide.
void expectLimitsShowThePrefix(ReportBuilderFixture& f, const std::function<void()>& build)
{
    f.settings.maxrows = "ALL";
    build();
    const Shown all = shownBy(f.grid);
    ASSERT_GT(all.rows.size(), 7u);
    for (const char* limit : {"7", "0"}) {
        f.settings.maxrows = limit;
        build();
        const Shown limited = shownBy(f.grid);
        const std::size_t n = std::stoul(limit);
        EXPECT_EQ(limited.columns, all.columns) << limit;
        EXPECT_EQ(uniquePart(limited.summary), uniquePart(all.summary)) << limit;
        ASSERT_EQ(limited.rows.size(), n);
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_EQ(limited.rows[i], all.rows[i]) << limit << " row " << i;
    }
    f.settings.maxrows = "twelve";
    EXPECT_THROW(build(), Error);
}

// Keys with count ties, case twins, a "-" and an empty key.
std::vector<std::pair<std::string, int>> mixedKeys()
{
    std::vector<std::pair<std::string, int>> keys;
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i)
        keys.emplace_back("/Dir" + std::to_string(i % 37) + "/item-" + std::to_string(i), 1 + random() % 4);
    keys.emplace_back("/dir3/ITEM-3", 2);
    keys.emplace_back("-", 3);
    keys.emplace_back("", 2);
    return keys;
}

} // namespace

TEST(RankedRows, LimitedPageAndVolumeReportsShowTheFirstRowsOfTheFullOnes)
{
    ReportBuilderFixture f;
    f.stats.setUp();
    for (const auto& [path, times] : mixedKeys()) {
        for (int i = 0; i < times; ++i) {
            f.stats.countPage(i % 2 ? "10.0.0.1" : "", path, 3.0 * times);
            if (times == 1) f.stats.traffic().countNotFound(path, i ? "-" : "http://a.example/");
        }
    }
    f.stats.countPage("10.0.0.2", "/");
    expectLimitsShowThePrefix(f, [&] { fillPagesReport(f.stats, f.grid, f.context()); });
    expectLimitsShowThePrefix(f, [&] { fillPageKilobytesReport(f.stats, f.grid, f.context()); });
    expectLimitsShowThePrefix(f, [&] { fillPagesNotFoundReport(f.stats, f.grid, f.context()); });
}

TEST(RankedRows, LimitedReferrerAndMachineReportsShowTheFirstRowsOfTheFullOnes)
{
    ReportBuilderFixture f;
    for (const auto& [path, times] : mixedKeys())
        f.referrer("http://Site" + path.substr(0, 5) + ".example" + path, times);
    f.referrer("http://long.example/" + std::string(150, 'x'), 2);
    const referrers::ExcludedDomains excluded({"site/dir1.example"});
    expectLimitsShowThePrefix(f, [&] { fillReferringUrlsReport(f.stats, f.grid, f.context(), excluded); });

    std::string data;
    for (const auto& [name, times] : mixedKeys())
        data += name + "," + std::to_string(times) + "\r\n";
    const DemographicTable machines = demographicsFromText(data, {}, {});
    expectLimitsShowThePrefix(f, [&] { fillHitsByMachineReport(machines, f.grid, f.context()); });
    expectLimitsShowThePrefix(f, [&] { fillSessionsByMachineReport(machines, f.grid, f.context()); });
}

TEST(RankedRows, RankingRowsGivesTheGridThatSortingEveryLineGives)
{
    std::mt19937 random(5);
    const char* names[] = {"b", "B", "a", "-", "", "ab", "a\tb", "\x02"};
    for (int round = 0; round < 50; ++round) {
        std::vector<TextRow> rows(1 + random() % 30);
        for (TextRow& row : rows) {
            row = {names[random() % std::size(names)], std::to_string(random() % 4), "", names[random() % 3]};
            if (random() % 5 == 0) row[1] = "-2";
        }
        const RankedCells cells(rows.size(), 4, [&](std::size_t i, std::size_t column, std::string&) {
            return std::string_view(rows[i][column]);
        });
        for (const char* limit : {"ALL", "3"}) {
            ReportGrid ranked;
            ReportGrid sorted;
            std::vector<ReportLine> lines(rows.begin(), rows.end());
            sortLines(lines, 1, true);
            std::string rankedError;
            std::string sortedError;
            try {
                finishRankedRows(ranked, cells, 1, limit, 40, {" Hits<br>", " Hits"});
            } catch (const std::exception& e) {
                rankedError = e.what();
            }
            try {
                finishRanked(sorted, lines, limit, 40, {" Hits<br>", " Hits"});
            } catch (const std::exception& e) {
                sortedError = e.what();
            }
            EXPECT_EQ(rankedError, sortedError);
            const Shown a = shownBy(ranked);
            const Shown b = shownBy(sorted);
            EXPECT_EQ(a.summary, b.summary) << "round " << round;
            EXPECT_EQ(a.rows, b.rows) << "round " << round;
        }
    }
}

TEST(RankedRows, LongReportsRankedOnTwoThreadsShowWhatOneThreadShows)
{
    // Enough pages, referrers and machines for their keys to be read on two
    // threads: every shown cell, the summary and the unique count agree.
    ReportBuilderFixture f;
    f.stats.setUp();
    std::string data;
    std::mt19937 random(5);
    for (int i = 0; i < 70000; ++i) {
        const std::string key = "/D" + std::to_string(i % 97) + "/p-" + std::to_string(random() % 60000);
        const int times = 1 + static_cast<int>(random() % 3);
        for (int n = 0; n < times; ++n)
            f.stats.countPage(n % 2 ? "10.0.0.1" : "", i % 5 ? key : text::toUpper(key), 1.0);
        f.referrer("http://r" + std::to_string(i % 13) + ".example" + key, times);
        data += "10." + std::to_string(i % 251) + "." + std::to_string(i) + "," + std::to_string(times) + "\r\n";
    }
    const DemographicTable machines = demographicsFromText(data, {}, {});
    const referrers::ExcludedDomains excluded(std::vector<std::string>{});
    const std::vector<std::function<void()>> builds = {
        [&] { fillPagesReport(f.stats, f.grid, f.context()); },
        [&] { fillReferringUrlsReport(f.stats, f.grid, f.context(), excluded); },
        [&] { fillHitsByMachineReport(machines, f.grid, f.context()); },
        [&] { fillSessionsByMachineReport(machines, f.grid, f.context()); },
    };
    for (const char* maxrows : {"100", "ALL"}) {
        f.settings.maxrows = maxrows;
        for (std::size_t b = 0; b < builds.size(); ++b) {
            ::setenv("LARKSPAN_THREADS", "1", 1);
            builds[b]();
            const Shown one = shownBy(f.grid);
            ::setenv("LARKSPAN_THREADS", "2", 1);
            builds[b]();
            ::unsetenv("LARKSPAN_THREADS");
            const Shown two = shownBy(f.grid);
            EXPECT_EQ(two.summary, one.summary) << maxrows << " " << b;
            ASSERT_EQ(two.rows, one.rows) << maxrows << " " << b;
        }
    }
}
