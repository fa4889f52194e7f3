#include "ShippedTables.h"
#include "common/Error.h"
#include "common/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "reports/DemographicTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

using namespace larkspan;
using namespace larkspan::demographics;

namespace {
const CodeList kCountries({"uk=United Kingdom", "gb=United Kingdom", "de=Germany", "co=Colombia", "nocode"});
const CodeList kTypes({"com=Commercial", "co=Commercial", "ac=Academic", "net=Network"});
} // namespace

TEST(DemographicDomains, NumericAddressesHaveNoNames)
{
    EXPECT_TRUE(isNumericAddress("192.168.1.7"));
    EXPECT_TRUE(isNumericAddress(""));
    EXPECT_TRUE(isNumericAddress("123456789012345"));
    EXPECT_FALSE(isNumericAddress("1234567890123456")); // 16 digits
    EXPECT_TRUE(isNumericAddress("2001:db8::1"));
    EXPECT_FALSE(isNumericAddress("host.example.com"));

    const DomainParts parts = deriveDomainParts("192.168.1.7", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "n/a");
    EXPECT_EQ(parts.country, "n/a");
    EXPECT_EQ(parts.type, "n/a");
}

TEST(DemographicDomains, DerivationFollowsTheTopLabels)
{
    // a.b.c with c a domain type gives b.c.
    DomainParts parts = deriveDomainParts("a.b.com", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "b.com");
    EXPECT_EQ(parts.country, "Unk");
    EXPECT_EQ(parts.type, "com");

    // a.b.c.d.e with e a country but not a type gives c.d.e, type d.
    parts = deriveDomainParts("a.b.c.ac.uk", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "c.ac.uk");
    EXPECT_EQ(parts.country, "uk");
    EXPECT_EQ(parts.type, "ac");

    parts = deriveDomainParts("dsl.host.provider.de", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "host.provider.de");
    EXPECT_EQ(parts.country, "de");
    EXPECT_EQ(parts.type, "oth");

    // A code that is both country and type.
    parts = deriveDomainParts("www.shop.CO", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "shop.CO");
    EXPECT_EQ(parts.country, "CO");
    EXPECT_EQ(parts.type, "CO");

    // Short names run out of labels without stray dots.
    parts = deriveDomainParts("example.de", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "example.de");
    parts = deriveDomainParts("localhost", kCountries, kTypes);
    EXPECT_EQ(parts.domain, "localhost");
    EXPECT_EQ(parts.country, "Unk");
    EXPECT_EQ(parts.type, "oth");
}

TEST(DemographicTable, MergesAddressesIgnoringCaseAndSortsThem)
{
    const DemographicTable table = demographicsFromText(
        "host.example.com,3\r\nHOST.EXAMPLE.COM,2\r\nno comma line\r\n 10.0.0.1,x\r\nbeta.example.de,7\r\n", kCountries,
        kTypes);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].address, "10.0.0.1");
    EXPECT_EQ(table[0].requests, 0); // a count that is not a number reads 0
    EXPECT_EQ(table[0].sessions, 1);
    EXPECT_EQ(table[1].address, "beta.example.de");
    EXPECT_EQ(table[2].address, "host.example.com"); // first spelling
    EXPECT_EQ(table[2].requests, 5);
    EXPECT_EQ(table[2].sessions, 2);
    EXPECT_EQ(table[2].domain, "example.com");

    EXPECT_TRUE(demographicsFromText("only,\r\nlines\r\n", kCountries, kTypes).size() == 1);
    EXPECT_TRUE(demographicsFromText("no commas\r\n", kCountries, kTypes).empty());
}

TEST(DemographicTable, ManyAddressesMatchAnOrderedMapOfThem)
{
    // Thousands of addresses, each seen up to three times in changing case,
    // against the plain reading: a map ordered without regard to case.
    std::map<std::string, std::pair<long long, long long>, larkspan::text::CaseInsensitiveLess> expected;
    std::string data;
    for (int i = 0; i < 6000; ++i) {
        const int n = (i * 7919) % 2500;
        std::string address = "h" + std::to_string(n) + (n % 3 == 0 ? ".Example.COM" : ".example.de");
        if (i % 2) std::transform(address.begin(), address.end(), address.begin(), ::toupper);
        data += address + "," + std::to_string(i % 11) + "\r\n";
        auto [it, added] = expected.try_emplace(address, 0, 0);
        it->second.first += i % 11;
        it->second.second += 1;
    }
    const DemographicTable table = demographicsFromText(data, kCountries, kTypes);
    ASSERT_EQ(table.size(), expected.size());
    std::size_t row = 0;
    for (const auto& [address, counts] : expected) {
        EXPECT_EQ(table[row].address, address);
        EXPECT_EQ(table[row].requests, counts.first);
        EXPECT_EQ(table[row].sessions, counts.second);
        ++row;
    }
}

TEST(DemographicTable, ReadingTheDataFileReportsMissingFilesAndCancel)
{
    larkspan::testing::TempFolder folder;
    larkspan::testing::FakePlatform fake;
    const std::string countries = shippedTable("ccdsf.lklf");
    const std::string types = shippedTable("dtcdsf.lklf");
    try {
        parseDemographics(fake.platform(), folder.file("none.dmgrpt"), countries, types);
        FAIL();
    } catch (const NoDemographicData& e) {
        EXPECT_STREQ(e.what(), "Required File Not Found");
    }

    std::string content;
    for (int i = 0; i < 25; ++i)
        content += "host" + std::to_string(i) + ".example.co.uk,2\r\n";
    const std::string data = folder.write("web.dmgrpt", content);
    std::filesystem::permissions(data, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    const DemographicTable table = parseDemographics(fake.platform(), data, countries, types);
    ASSERT_EQ(table.size(), 25u);
    EXPECT_EQ(table[0].domain, "example.co.uk");
    EXPECT_EQ(table[0].country, "uk");
    EXPECT_EQ(table[0].type, "co");
    EXPECT_EQ(fake.progress.lines[0].back(), "Analyzing Demographics Data...");
    EXPECT_EQ(fake.progress.lines[1].back(), "Done Reading Data...25");
    EXPECT_NE(std::find(fake.progress.lines[1].begin(), fake.progress.lines[1].end(), "Reading Data...20"),
              fake.progress.lines[1].end());

    EXPECT_THROW(parseDemographics(fake.platform(), data, countries, folder.file("missing.lklf")), Error);

    fake.cancel.request();
    EXPECT_THROW(parseDemographics(fake.platform(), data, countries, types), Cancelled);
}
