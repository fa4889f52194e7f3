#include "CliRunner.h"
#include "platform/Clock.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

TEST(AnalyseCommand, PrintsGeneralStatisticsBucketsAndLists)
{
    TempFolder home;
    FixedClock clock{LocalDateTime{{2024, 3, 1}, 12, 0, 0}};
    CliServices services;
    services.clock = &clock;
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args, services);
    };
    home.write("wwwstats/site/site.dat", "site\r\n0\r\n");
    const std::string header = "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
                               "#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip\r\n";
    home.write("wwwstats/site/2000/LKLT0201.log", header + "2000-02-01 09:00:00 1.1.1.1 GET /index.htm 200 2048 s\r\n"
                                                           "2000-02-01 09:01:00 1.1.1.1 GET /a.gif 200 1024 s\r\n"
                                                           "2000-02-01 09:02:00 2.2.2.2 GET /gone.htm 404 0 s\r\n");
    ASSERT_EQ(run({"profile", "new", "p", "--web", "site", "--url", "u", "--from", "02/01/2000", "--to", "02/02/2000",
                   "--set", "demogs=TRUE"})
                  .status,
              0);
    const auto r = run({"analyse", "p", "--lists"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"Result: 0\n", "Days reported: 1\n", "Missing dates: 02/02/2000\n", "Hits: 3\n",
                             "Page hits: 2\n", "Image hits: 1\n", "Sessions: 2\n", "Kilobytes: 3\n",
                             "  09:00 to 09:59\t09:00 to 09:59\t3\t2\t0\t1\t0\t2\t3\n", "Error list P;404: 1\n",
                             "  s/gone.htm\n", "  1\ts/index.htm\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    }
    EXPECT_EQ(home.read("My Profiles/p.dmgrpt"), "1.1.1.1,1\r\n2.2.2.2,1\r\n");

    EXPECT_EQ(run({"profile", "set", "p", "start=03/01/2000", "end=03/02/2000"}).status, 0);
    const auto none = run({"analyse", "p"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("Result: -100"), std::string::npos);
    EXPECT_EQ(run({"analyse", "nosuch"}).status, 1);
}
