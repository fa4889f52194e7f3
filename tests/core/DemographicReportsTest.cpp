#include "reports/DemographicReports.h"
#include "ReportBuilderFixture.h"
#include "common/Text.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::demographics;
using Strings = std::vector<std::string>;

namespace {
const CodeList kCountries({"uk=United Kingdom", "gb=United Kingdom", "de=Germany", "fr=France"});
const CodeList kTypes({"com=Commercial", "co=Commercial", "ac=Academic"});

DemographicTable tableOf(const std::string& data)
{
    return demographicsFromText(data, kCountries, kTypes);
}
} // namespace

TEST(DemographicReports, CountriesMergeSharedNamesAndNumericAddressesAreUnknown)
{
    ReportBuilderFixture f;
    const DemographicTable table = tableOf("a.x.co.uk,3\r\nb.y.co.gb,3\r\n192.168.1.7,5\r\nc.z.gouv.fr,1\r\n"
                                           "d.shop.com,2\r\n");
    fillHitsByCountryReport(table, kCountries, f.grid, f.context());
    EXPECT_EQ(f.grid.cell(1, 0), "Page/File Requests by Country Report for www.example.com");
    EXPECT_EQ(f.grid.cell(3, 1), "Page and File Requests ");
    EXPECT_EQ(f.grid.cell(0, 3), "Country");
    EXPECT_EQ(f.grid.cell(1, 3), "# of Page/File Requests");
    EXPECT_EQ(f.column(0), (Strings{"Unknown", "United Kingdom", "France"}));
    EXPECT_EQ(f.column(1), (Strings{"7", "6", "1"}));
    EXPECT_EQ(f.column(2), (Strings{"50.0%", "42.857%", "7.143%"}));
    EXPECT_EQ(f.grid.cell(0, 4), "14 Page/File Requests<br>3 of 3 Unique Shown<br>100 % of all 14 Page/File Requests");
    EXPECT_EQ((Strings{f.grid.cell(1, 9), f.grid.cell(2, 9), f.grid.cell(3, 9), f.grid.cell(4, 9)}),
              (Strings{"1", "0", "-1", "1"}));

    fillSessionsByCountryReport(table, kCountries, f.grid, f.context());
    EXPECT_EQ(f.column(1), (Strings{"2", "2", "1"}));
    EXPECT_EQ(f.grid.cell(0, 4), "5 Sessions<br>3 of 3 Unique Shown<br>100 % of all 5 Sessions");
}

TEST(DemographicReports, DomainsAndMachinesWithTopNLimit)
{
    ReportBuilderFixture f;
    const DemographicTable table =
        tableOf("a.shop.com,4\r\nb.SHOP.com,1\r\nA.shop.com,2\r\n10.0.0.1,1\r\nhost.lab.ac.uk,3\r\n");
    fillHitsByDomainReport(table, f.grid, f.context());
    EXPECT_EQ(f.grid.cell(0, 3), "Domain");
    EXPECT_EQ(f.column(0), (Strings{"shop.com", "lab.ac.uk", "Not Available"}));
    EXPECT_EQ(f.column(1), (Strings{"7", "3", "1"}));

    fillSessionsByMachineReport(table, f.grid, f.context());
    EXPECT_EQ(f.grid.cell(0, 3), "Machine Name");
    EXPECT_EQ(f.grid.cell(2, 3), "% of Total Sessions");
    EXPECT_EQ(f.column(0), (Strings{"a.shop.com", "host.lab.ac.uk", "b.SHOP.com", "10.0.0.1"}));
    EXPECT_EQ(f.column(1), (Strings{"2", "1", "1", "1"}));
    EXPECT_EQ(f.column(2), (Strings{"40.0%", "20.0%", "20.0%", "20.0%"}));

    f.settings.maxrows = "2";
    fillHitsByMachineReport(table, f.grid, f.context());
    EXPECT_EQ(f.grid.detailCount(), 2);
    EXPECT_EQ(f.grid.cell(0, 4), "9 Page/File Requests<br>2 of 4 Unique Shown<br>81.82 % of all 11 Page/File Requests");
}

TEST(DemographicReports, EmptyTablesAndZeroTotals)
{
    ReportBuilderFixture f;
    const DemographicTable empty = tableOf("no comma\r\n");
    EXPECT_EQ(f.noData([&] { fillSessionsByCountryReport(empty, kCountries, f.grid, f.context()); }),
              "No data for report.");
    EXPECT_EQ(f.noData([&] { fillHitsByMachineReport(empty, f.grid, f.context()); }), "No data for report.");
    const DemographicTable blankAddress = tableOf(",4\r\n");
    EXPECT_EQ(f.noData([&] { fillSessionsByDomainReport(blankAddress, f.grid, f.context()); }), "No data for report.");
    const DemographicTable zero = tableOf("a.b.com,0\r\n");
    EXPECT_EQ(f.noData([&] { fillHitsByDomainReport(zero, f.grid, f.context()); }), "No Data for Report");
}

TEST(DemographicReports, MachinesRankByCountThenNameDescendingAndTheTopRowsAreTheFullOrdersFirst)
{
    // Counts of one to four digits, names alike for long stretches and in
    // mixed case: the shown rows are the first rows of the whole ranking.
    std::string data;
    for (int i = 0; i < 400; ++i) {
        const std::string name =
            (i % 2 ? "Host-" : "host-") + std::string(20, 'x') + std::to_string(i % 50) + ".Example";
        data += name + std::to_string(i) + "," + std::to_string((i * 37) % 1200 / (1 + i % 4)) + "\r\n";
    }
    const DemographicTable table = tableOf(data);
    ReportBuilderFixture f;
    f.settings.maxrows = "ALL";
    fillHitsByMachineReport(table, f.grid, f.context());
    const Strings names = f.column(0);
    const Strings counts = f.column(1);
    ASSERT_EQ(names.size(), 400u);
    for (std::size_t i = 1; i < names.size(); ++i) {
        const long long before = std::stoll(counts[i - 1]);
        const long long after = std::stoll(counts[i]);
        ASSERT_GE(before, after) << i;
        if (before == after) {
            EXPECT_GT(text::icompare(names[i - 1], names[i]), 0) << names[i - 1] << " " << names[i];
        }
    }
    for (const char* limit : {"1", "7", "100"}) {
        f.settings.maxrows = limit;
        fillHitsByMachineReport(table, f.grid, f.context());
        const Strings top = f.column(0);
        ASSERT_EQ(top.size(), static_cast<std::size_t>(std::stoi(limit)));
        EXPECT_EQ(top, Strings(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(top.size()))) << limit;
        EXPECT_NE(f.grid.cell(0, 4).find(" of 400 Unique Shown"), std::string::npos);
    }
}
