#include "CliRunner.h"
#include "common/Dates.h"
#include "common/KeyValueTable.h"
#include "fakes/TempFolder.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

struct ProfileCli {
    TempFolder home;
    FixedClock clock{LocalDateTime{{2024, 3, 1}, 12, 0, 0}};

    ProfileCli() { home.write("wwwstats/Site/Site.dat", "Site\r\n0\r\n"); }

    CliResult run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home.path()});
        CliServices services;
        services.clock = &clock;
        return runCommandLine(args, services);
    }
};

}  // namespace

TEST(ProfileCommand, NewStartsFromTheBaseAndValidatesLikeTheEditor)
{
    ProfileCli cli;
    auto r = cli.run({"profile", "new", "shop", "--web", "nosuch", "--url", "www.example.com"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("You must assign a Web to your profile to save it."), std::string::npos);
    r = cli.run({"profile", "new", "shop", "--web", "site", "--url", "www.example.com", "--set", "hitpage=no"});
    EXPECT_NE(r.err.find("You must select at least one hit filter option."), std::string::npos);
    r = cli.run({"profile", "new", "shop", "--web", "site", "--url", "", "--from", "02/01/2024", "--to", "01/01/2024"});
    EXPECT_NE(r.err.find("You must assign a URL to your profile to save it."), std::string::npos);
    r = cli.run(
        {"profile", "new", "shop", "--web", "site", "--url", "u", "--from", "02/01/2024", "--to", "01/01/2024"});
    EXPECT_NE(r.err.find("The start date of the report cannot be greater than the end date."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(cli.home.file("My Profiles/shop.rpf")));

    r = cli.run({"profile", "new", "shop", "--web", "site", "--url", "www.example.com", "--range", "4", "--set",
                 "demogs=yes", "--set", "maxrows=all", "--set", "extra=kept"});
    ASSERT_EQ(r.status, 0) << r.err;
    KeyValueTable t;
    t.load(cli.home.file("My Profiles/shop.rpf"));
    EXPECT_EQ(t.getText("path"), "Site");
    EXPECT_EQ(t.getText("demogs"), "TRUE");
    EXPECT_EQ(t.getText("maxrows"), "ALL");
    EXPECT_EQ(t.getText("start"), std::to_string(dayNumber({2024, 2, 1})));
    EXPECT_EQ(t.getText("end"), std::to_string(dayNumber({2024, 2, 29})));
    EXPECT_EQ(t.keyAt(30), "extra");
    EXPECT_TRUE(t.getBoolean("norobots")); // the shipped base turns robots apart and the details on
    EXPECT_TRUE(t.getBoolean("details"));
    ASSERT_EQ(cli.run({"profile", "set", "shop", "norobots=no", "details=off"}).status, 0);
    t.load(cli.home.file("My Profiles/shop.rpf"));
    EXPECT_EQ(t.getText("norobots"), "FALSE");
    EXPECT_EQ(t.getText("details"), "FALSE");
    EXPECT_TRUE(std::filesystem::exists(cli.home.file("My Profiles/shop.subd")));

    r = cli.run({"profile", "new", "shop", "--web", "site", "--url", "x"});
    EXPECT_EQ(r.status, 1);  // exists already
    r = cli.run({"profile", "new", "../evil", "--web", "site", "--url", "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(std::filesystem::exists(cli.home.file("evil.rpf")));
    r = cli.run({"profile", "set", "shop", "maxrows=7"});
    EXPECT_EQ(r.status, 2);
}

TEST(ProfileCommand, SetShowListFilterAndDelete)
{
    ProfileCli cli;
    ASSERT_EQ(cli.run({"profile", "new", "shop", "--web", "site", "--url", "www.example.com"}).status, 0);
    ASSERT_EQ(cli.run({"profile", "set", "shop", "pre-date=7", "start=03/15/2000", "end=03/16/2000"}).status, 0);
    auto r = cli.run({"profile", "show", "shop"});
    EXPECT_NE(r.out.find("range=03/15/2000 - 03/16/2000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("period=Date Range"), std::string::npos);

    EXPECT_EQ(cli.run({"profile", "filter", "shop", "--subd", "--add", "products"}).status, 0);
    EXPECT_EQ(cli.run({"profile", "filter", "shop", "--subd", "--add", "old", "--exclude"}).status, 0);
    r = cli.run({"profile", "filter", "shop", "--subd", "--add", "again"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(cli.home.read("My Profiles/shop.subd"), "products,SubDomain\r\nold,Exclude\r\n");
    EXPECT_EQ(cli.run({"profile", "filter", "shop", "--ip", "--add", "10.0.0.5,7"}).status, 0);
    EXPECT_EQ(cli.home.read("My Profiles/shop.ip"), "10.0.0.5,7\r\n");
    // Wildcards exclude nothing in the filter: refused with the range form,
    // whether added alone or in a list file.
    r = cli.run({"profile", "filter", "shop", "--ip", "--add", "10.0.0.*"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("10.0.0.0,255"), std::string::npos) << r.err;
    cli.home.write("ip.txt", "10.0.0.9\r\n192.168.*.*\r\n");
    r = cli.run({"profile", "filter", "shop", "--ip", "--file", cli.home.file("ip.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot use 192.168.*.*: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Only the last octet can be a range"), std::string::npos) << r.err;
    EXPECT_EQ(cli.home.read("My Profiles/shop.ip"), "10.0.0.5,7\r\n");
    cli.home.write("refd.txt", "a.com\r\nb.com");
    EXPECT_EQ(cli.run({"profile", "filter", "shop", "--refd", "--file", cli.home.file("refd.txt")}).status, 0);
    EXPECT_EQ(cli.home.read("My Profiles/shop.refd"), "a.com\r\nb.com");
    EXPECT_EQ(cli.run({"profile", "filter", "shop", "--refd", "--ip", "--add", "x"}).status, 2);

    r = cli.run({"profile", "list"});
    EXPECT_EQ(r.out, "shop\n");
    EXPECT_EQ(cli.run({"--no", "profile", "delete", "shop"}).status, 3);
    EXPECT_EQ(cli.run({"--yes", "profile", "delete", "shop"}).status, 0);
    EXPECT_EQ(cli.run({"profile", "list"}).out, "");
    EXPECT_EQ(cli.run({"profile", "show", "shop"}).status, 1);
}
