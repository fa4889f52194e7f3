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
#include <random>

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
    ASSERT_EQ(table.domains().groups().size(), 3u);
    EXPECT_EQ(table.domains().groups()[0].key, "Not Available");
    EXPECT_EQ(table.domains().groups()[2].key, "example.com");

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
    ASSERT_EQ(table.domains().groups().size(), 1u);
    EXPECT_EQ(table.domains().groups()[0].key, "example.co.uk");
    EXPECT_EQ(table.domains().groups()[0].sessions, 25);
    EXPECT_EQ(table.domains().groups()[0].requests, 50);
    ASSERT_EQ(table.countryCodes().groups().size(), 1u);
    EXPECT_EQ(table.countryCodes().groups()[0].key, "uk");
    EXPECT_EQ(fake.progress.lines[0].back(), "Analyzing Demographics Data...");
    EXPECT_EQ(fake.progress.lines[1].back(), "Done Reading Data...25");
    EXPECT_NE(std::find(fake.progress.lines[1].begin(), fake.progress.lines[1].end(), "Reading Data...20"),
              fake.progress.lines[1].end());

    EXPECT_THROW(parseDemographics(fake.platform(), data, countries, folder.file("missing.lklf")), Error);

    fake.cancel.request();
    EXPECT_THROW(parseDemographics(fake.platform(), data, countries, types), Cancelled);
}

TEST(DemographicTable, DaysOfSortedAddressesMergeAcrossTheBreakInOrder)
{
    // One sorted block per day: the second block starts over and repeats
    // addresses of the first in other spellings.
    const DemographicTable table = demographicsFromText(
        "b.example.com,1\r\nc.example.com,1\r\nc.EXAMPLE.com,4\r\na.example.com,1\r\nB.example.com,2\r\n"
        "C.example.com,3\r\nd.example.com,5\r\n",
        kCountries, kTypes);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].address, "a.example.com");
    EXPECT_EQ(table[1].address, "b.example.com");
    EXPECT_EQ(table[1].requests, 3);
    EXPECT_EQ(table[1].sessions, 2);
    EXPECT_EQ(table[2].address, "c.example.com");
    EXPECT_EQ(table[2].requests, 8);
    EXPECT_EQ(table[2].sessions, 3);
    EXPECT_EQ(table[3].address, "d.example.com");
}

TEST(DemographicTable, GroupsMatchThePlainReadingOfEveryAddress)
{
    // Random host names and numbers in changing case: the domain and country
    // totals must be those of deriving every address's parts and grouping
    // them in address order, first spelling kept.
    std::mt19937 random(7);
    const char* tops[] = {"com", "COM", "uk", "co.uk", "Co.UK", "de", "net", "xx", ""};
    std::map<std::string, std::pair<long long, long long>, larkspan::text::CaseInsensitiveLess> addresses;
    std::string data;
    for (int i = 0; i < 4000; ++i) {
        std::string address;
        if (random() % 4 == 0) {
            address = "10.0." + std::to_string(random() % 40) + "." + std::to_string(random() % 9);
        } else {
            address = "h" + std::to_string(random() % 300) + ".d" + std::to_string(random() % 30) + "." +
                      tops[random() % std::size(tops)];
        }
        const long long count = static_cast<long long>(random() % 5);
        data += address + "," + std::to_string(count) + "\r\n";
        auto [it, added] = addresses.try_emplace(address, 0, 0);
        it->second.first += count;
        it->second.second += 1;
    }
    struct Totals {
        std::string key;
        long long requests = 0;
        long long sessions = 0;
    };
    const auto addTo = [](std::vector<Totals>& groups, const std::string& key, long long requests, long long sessions) {
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const Totals& t) { return larkspan::text::iequals(t.key, key); });
        if (it == groups.end()) it = groups.insert(groups.end(), Totals{key});
        it->requests += requests;
        it->sessions += sessions;
    };
    std::vector<Totals> domains;
    std::vector<Totals> countries;
    for (const auto& [address, counts] : addresses) {
        const DomainParts parts = deriveDomainParts(address, kCountries, kTypes);
        addTo(domains, parts.domain == "n/a" ? "Not Available" : parts.domain, counts.first, counts.second);
        addTo(countries, parts.country, counts.first, counts.second);
    }

    DemographicTable table = demographicsFromText(data, kCountries, kTypes);
    const DemographicTable moved = std::move(table); // the rows' texts move with it
    ASSERT_EQ(moved.size(), addresses.size());
    EXPECT_EQ(moved[0].address, addresses.begin()->first);
    const auto expectGroups = [](const DemographicGroups& groups, const std::vector<Totals>& expected) {
        ASSERT_EQ(groups.groups().size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(groups.groups()[i].key, expected[i].key);
            EXPECT_EQ(groups.groups()[i].requests, expected[i].requests);
            EXPECT_EQ(groups.groups()[i].sessions, expected[i].sessions);
        }
    };
    expectGroups(moved.domains(), domains);
    expectGroups(moved.countryCodes(), countries);
}

TEST(DemographicTable, ShortAddressesStayReadableAfterTheTableMoves)
{
    // A few short addresses fit a string's own buffer: their views must not
    // point into a text that moved away.
    DemographicTable table = demographicsFromText("b,1\r\na,2\r\n", kCountries, kTypes);
    DemographicTable other;
    other = std::move(table);
    const DemographicTable last(std::move(other));
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].address, "a");
    EXPECT_EQ(last[1].address, "b");
    EXPECT_EQ(last.domains().groups()[0].key, "a");
}
