#include "import/TrackerBacklog.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace larkspan {
namespace {

// The list is read back from a file anyone with the web folder could edit:
// only the web's own day files that exist as plain files are taken.
TEST(TrackerBacklog, ReadsBackOnlyTheWebsOwnDayFiles)
{
    testing::TempFolder temp;
    const std::string web = temp.file("web") + "/";
    temp.write("web/2026/LKLT0301.log", "day");
    temp.write("web/2026/LKLT0302.log", "day");
    temp.write("web/2025/LKLT1231.log", "day");
    temp.write("secret", "not a day");
    ASSERT_EQ(::symlink(temp.file("secret").c_str(), temp.file("web/2026/LKLT0303.log").c_str()), 0);
    temp.write("web/site.lktd", "2026/LKLT0302.log\r\n"
                                "../secret\r\n"
                                "/etc/passwd\r\n"
                                "2026/LKLT0303.log\r\n" // a link
                                "2026/LKLT0309.log\r\n" // gone
                                "2026/LKLT0301.txt\r\n"
                                "2026/../2026/LKLT0301.log\r\n"
                                "  2025/LKLT1231.log  \r\n"
                                "2026/LKLT0302.log\r\n");
    TrackerBacklog backlog;
    backlog.load(temp.file("web/site.lktd"), web);
    EXPECT_EQ(backlog.days(), (std::vector<std::string>{web + "2026/LKLT0302.log", web + "2025/LKLT1231.log"}));

    // Days are owed once each, in the order first owed, and written back
    // relative to the web folder.
    EXPECT_TRUE(backlog.add({web + "2026/LKLT0301.log", web + "2026/LKLT0302.log"}));
    EXPECT_FALSE(backlog.add({web + "2026/LKLT0301.log"}));
    EXPECT_EQ(backlog.text(), "2026/LKLT0302.log\r\n2025/LKLT1231.log\r\n2026/LKLT0301.log\r\n");

    backlog.clear();
    EXPECT_TRUE(backlog.empty());
    EXPECT_FALSE(std::filesystem::exists(temp.file("web/site.lktd")));
}

} // namespace
} // namespace larkspan
