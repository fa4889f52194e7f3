#include "CommandReference.h"
#include "CliRunner.h"
#include "CommandTable.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace larkspan;
using larkspan::testing::runCommandLine;

namespace {

std::string placeholderOf(const CommandSyntax& syntax, const std::string& option)
{
    for (const auto& o : syntax.options)
        if (o.name == option) return o.placeholder;
    return "<absent>";
}

} // namespace

TEST(CommandReference, SubcommandsComeFromSynopsisLinesOnly)
{
    const auto web = describeSyntax("web", "add NAME --files \"PATHS\" [--new-only]\n"
                                           "       larkspan-cli web list\n"
                                           "       larkspan-cli web add NAME --ftp\n"
                                           "       web delete NAME\n"
                                           "such as /var/log/access*.log.\n"
                                           "PATHS is a comma list");
    EXPECT_EQ(web.subcommands, (std::vector<std::string>{"add", "list", "delete"}));
    EXPECT_TRUE(describeSyntax("import", "NAME [--no-tracker]\nImports the logs.").subcommands.empty());
}

TEST(CommandReference, OptionValuesAreTheWordsThatFollowInCapitalsOrShapes)
{
    const auto syntax =
        describeSyntax("x", "A [--grid FILE] [--lists] [--server HOST[:PORT]] [--from mm/dd/yyyy]\n"
                            "  [--layout a|b] [--start yyyy-mm-dd] (--add TEXT [--exclude] | --file F)\n"
                            "  --lists      also print\n"
                            "  --no-tracker skips the build; --ip|--subd\n"
                            "  --range N: 0 yesterday");
    EXPECT_EQ(placeholderOf(syntax, "--grid"), "FILE");
    EXPECT_EQ(placeholderOf(syntax, "--lists"), "");
    EXPECT_EQ(placeholderOf(syntax, "--server"), "HOST[:PORT]");
    EXPECT_EQ(placeholderOf(syntax, "--from"), "mm/dd/yyyy");
    EXPECT_EQ(placeholderOf(syntax, "--layout"), "a|b");
    EXPECT_EQ(placeholderOf(syntax, "--start"), "yyyy-mm-dd");
    EXPECT_EQ(placeholderOf(syntax, "--add"), "TEXT");
    EXPECT_EQ(placeholderOf(syntax, "--file"), "F");
    EXPECT_EQ(placeholderOf(syntax, "--no-tracker"), "");
    EXPECT_EQ(placeholderOf(syntax, "--ip"), "");
    EXPECT_EQ(placeholderOf(syntax, "--subd"), "");
    EXPECT_EQ(placeholderOf(syntax, "--range"), "N");
    const auto lists =
        std::count_if(syntax.options.begin(), syntax.options.end(), [](const auto& o) { return o.name == "--lists"; });
    EXPECT_EQ(lists, 1);
}

TEST(CommandReference, RoffEscapingKeepsTextLiteral)
{
    EXPECT_EQ(roffEscape("a-b C:\\x"), "a\\-b C:\\ex");
    EXPECT_EQ(roffEscape(".hidden\n'quote\nmid.dot"), "\\&.hidden\n\\&'quote\nmid.dot");
}

// Every registered command appears in the completion words and the manual
// page, so a new command needs nothing else to be documented and completed.
TEST(CommandReference, EveryCommandIsCompletedAndDocumented)
{
    const auto words = runCommandLine({"--completion"});
    const auto manual = runCommandLine({"--manual-commands"});
    ASSERT_EQ(words.status, 0);
    ASSERT_EQ(manual.status, 0);
    for (const auto& command : makeCommands()) {
        const std::string name(command->name());
        EXPECT_NE(words.out.find("\n" + name + "\t"), std::string::npos) << name;
        EXPECT_NE(manual.out.find(".SS " + roffEscape(name) + "\n"), std::string::npos) << name;
        const auto own = runCommandLine({"--completion", name});
        EXPECT_EQ(own.status, 0);
        for (const auto& option : describeSyntax(name, std::string(command->usage())).options)
            EXPECT_NE(own.out.find(option.name), std::string::npos) << name << ' ' << option.name;
    }
    EXPECT_NE(words.out.find("--home DIR\t"), std::string::npos);
    EXPECT_NE(runCommandLine({"--completion", "web"}).out.find("add\tweb add\n"), std::string::npos);
    EXPECT_TRUE(runCommandLine({"--completion", "no-such-command"}).out.empty());
    EXPECT_EQ(runCommandLine({"--help"}).out.find("--completion"), std::string::npos);
}
