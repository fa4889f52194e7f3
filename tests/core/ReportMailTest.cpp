#include "reports/ReportMail.h"
#include "common/Error.h"
#include "mail/EmlWriter.h"
#include "mail/MailDraft.h"
#include "mail/XdgEmail.h"
#include "reports/EmailCopy.h"

#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

const CivilDate kToday{2024, 3, 1};

ReportMail startedMail(MailWanted wanted)
{
    ReportMail mail;
    mail.start(wanted, kToday, "/reports/weekly");
    return mail;
}

} // namespace

TEST(ReportMailing, WhoGetsTheMail)
{
    EXPECT_FALSE(startedMail({false, "c@example.com", false, "a@example.com"}).mailing());
    EXPECT_FALSE(startedMail({true, "   ", true, ""}).mailing());
    const ReportMail adminOnly = startedMail({false, "c@example.com", true, " a@example.com "});
    ASSERT_TRUE(adminOnly.mailing());
    EXPECT_EQ(adminOnly.message().recipients, std::vector<std::string>{"a@example.com"});
    const ReportMail both = startedMail({true, "c@example.com", true, "a@example.com"});
    EXPECT_EQ(both.message().recipients, (std::vector<std::string>{"c@example.com", "a@example.com"}));
    EXPECT_EQ(both.message().folder, "/reports/weekly");

    // A new run starts from nothing.
    ReportMail reused = startedMail({true, "c@example.com", false, ""});
    reused.addSection("Browser Analysis");
    reused.start({false, "", false, ""}, kToday, "/reports/other");
    EXPECT_FALSE(reused.mailing());
    EXPECT_TRUE(reused.message().lines.empty());
    reused.addReport("Top Browser Types", "/reports/other/eLKRBrowsers.html");
    EXPECT_TRUE(reused.message().attachments.empty());
}

TEST(ReportMailing, MailTextLineByLine)
{
    ReportMail mail = startedMail({true, "c@example.com", true, "a@example.com"});
    mail.addSection("Browser Analysis");
    mail.addReport("Top Browser Types", "/reports/weekly/eLKRBrowsers.html");
    mail.addReport("User Agent Operating Systems", "/reports/weekly/eLKRAgentsOS.html");
    mail.addSection("Page Analysis");
    mail.addReport("Most Popular Pages", "/reports/weekly/LKRPages.html"); // the copy failed: the report itself
    mail.addIndex("/reports/weekly/eindex.html");
    const MailMessage& message = mail.message();
    EXPECT_EQ(message.subject, "Here are your Web Site reports generated on Friday, March 01, 2024");
    EXPECT_EQ(message.lines, (std::vector<std::string>{
                                 "Here are your Web Site reports generated on Friday, March 01, 2024",
                                 "Report Listing:",
                                 " General Web Statistics and Report Index (eindex.html)",
                                 " Browser Analysis",
                                 " - Top Browser Types (eLKRBrowsers.html)",
                                 " - User Agent Operating Systems (eLKRAgentsOS.html)",
                                 " Page Analysis",
                                 " - Most Popular Pages (LKRPages.html)",
                             }));
    EXPECT_EQ(message.attachments,
              (std::vector<std::string>{"/reports/weekly/eLKRBrowsers.html", "/reports/weekly/eLKRAgentsOS.html",
                                        "/reports/weekly/LKRPages.html", "/reports/weekly/eindex.html"}));
}

TEST(ReportMailing, SendingAndItsMessages)
{
    FakePlatform fake;
    ReportMail mail = startedMail({true, "c@example.com", true, "a@example.com"});
    mail.send(fake.platform());
    EXPECT_TRUE(fake.mail.sent.empty()) << "nothing attached, nothing sent";

    mail.addReport("Usage by Hits", "/reports/weekly/eLKRUsageByHit.html");
    mail.send(fake.platform());
    ASSERT_EQ(fake.mail.sent.size(), 1u);
    EXPECT_TRUE(fake.messages.recorded.empty());

    fake.mail.result = {MailOutcome::Cancelled, ""};
    mail.send(fake.platform());
    fake.mail.result = {MailOutcome::Failed, "No mail client could be started."};
    mail.send(fake.platform());
    fake.mail.result = {MailOutcome::Unavailable, "Mail is not available."};
    mail.send(fake.platform());
    ASSERT_EQ(fake.messages.recorded.size(), 3u);
    EXPECT_EQ(fake.messages.recorded[0].kind, MessageKind::Information);
    EXPECT_EQ(fake.messages.recorded[0].text, "Operation cancelled, the mail was not sent.");
    EXPECT_EQ(fake.messages.recorded[1].kind, MessageKind::Error);
    EXPECT_EQ(fake.messages.recorded[1].text,
              "An error was encountered while attempting to mail reports to the following recipients: \n"
              "c@example.com\na@example.com\n The mail was not sent.\nNo mail client could be started.");
    EXPECT_EQ(fake.messages.recorded[2].kind, MessageKind::Error);
}

TEST(EmailReadyCopy, PathsAndRemovedParts)
{
    EXPECT_EQ(emailCopyPath("/r/weekly/LKRPages"), "/r/weekly/eLKRPages.html");
    EXPECT_EQ(emailCopyPath("/r/weekly/LKRPages.html"), "/r/weekly/eLKRPages.html");

    const std::string page =
        "<td align=\"right\" width=\"25%\"><font color=\"white\" size=\"2\">"
        "<a href=\"..\\LKRPageshelp.html\"><img border=\"0\" src=\"..\\help.gif\" ALT=\"Help\" ></a></font></td>"
        "<p align=\"center\"><img src=\"LKRPages.jpg\" Alt=\"Graph\"></p>"
        "<td><img src=\"flag.gif\"></td>"
        "<td width=\"35%\" align=\"right\"><a href=\"http://maker.example/\"><img src=\"..\\QuennetLogo.gif\" "
        "width=\"115\" height=\"44\" border=\"0\"></a></td>";
    const std::string copy = emailReadyHtml("/r/weekly/LKRPages", page);
    EXPECT_EQ(copy, "<td align=\"right\" width=\"25%\"><font color=\"white\" size=\"2\"></font></td>"
                    "<p align=\"center\"></p>"
                    "<td><img src=\"flag.gif\"></td>"
                    "<td width=\"35%\" align=\"right\"></td>");

    // Another report's help anchor is not this one's: it stays, and its
    // image is the first one left.
    const std::string other =
        "<a href=\"..\\LKRDownloadshelp.html\"><img border=\"0\" src=\"..\\help.gif\" ALT=\"Help\" ></a>";
    EXPECT_EQ(emailReadyHtml("/r/weekly/LKRPages", other + "<p>x</p>"),
              "<a href=\"..\\LKRDownloadshelp.html\"></a><p>x</p>");
    EXPECT_EQ(emailReadyHtml("/r/weekly/LKRPages", "<p>no images</p>"), "<p>no images</p>");
}

TEST(EmailReadyCopy, WrittenBesideTheReportOrEmptyWhenItCannotBe)
{
    TempFolder temp;
    FakeMessages messages;
    const EmailCopy copy =
        makeEmailCopy(messages, temp.file("LKRPages"), "<p><img src=\"LKRPages.jpg\" Alt=\"Graph\"></p>");
    EXPECT_EQ(copy.path, temp.file("eLKRPages.html"));
    EXPECT_EQ(copy.text, "<p></p>");
    EXPECT_EQ(temp.read("eLKRPages.html"), "<p></p>");
    EXPECT_TRUE(messages.recorded.empty());

    const EmailCopy lost = makeEmailCopy(messages, temp.file("missing/LKRPages"), "<p>x</p>");
    EXPECT_TRUE(lost.text.empty());
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].text, "Unable to create file " + temp.file("missing/eLKRPages.html"));
}

TEST(MimeMessage, HeaderPiecesAndEncodings)
{
    EXPECT_EQ(rfc5322Date(LocalDateTime{{2024, 3, 1}, 12, 0, 5}, 60), "Fri, 01 Mar 2024 12:00:05 +0100");
    EXPECT_EQ(rfc5322Date(LocalDateTime{{2026, 12, 9}, 7, 8, 9}, -330), "Wed, 09 Dec 2026 07:08:09 -0530");
    EXPECT_EQ(mailAddresses({" a@x.com; b@y.org ", "c@z.net\r\nBcc: evil@bad.example", ",,"}),
              (std::vector<std::string>{"a@x.com", "b@y.org", "c@z.net  Bcc: evil@bad.example"}));
    EXPECT_EQ(base64Lines(""), "\r\n");
    EXPECT_EQ(base64Lines("Man"), "TWFu\r\n");
    EXPECT_EQ(base64Lines("Ma"), "TWE=\r\n");
    EXPECT_EQ(base64Lines("M"), "TQ==\r\n");
    const std::string long57(57, 'a'); // exactly one full line of 76 characters
    EXPECT_EQ(base64Lines(long57).size(), 78u);
    EXPECT_EQ(base64Lines(long57 + "a").substr(76, 2), "\r\n");
    EXPECT_EQ(attachmentType("eLKRPages.HTML"), "text/html");
    EXPECT_EQ(attachmentType("LKRPages.jpg"), "image/jpeg");
    EXPECT_EQ(attachmentType("data.bin"), "application/octet-stream");
}

TEST(MimeMessage, StructureLineEndsAndInjection)
{
    TempFolder temp;
    const std::string page = temp.write("eLKRPages.html", std::string("<p>caf\xE9</p>\n"));
    MailMessage message;
    message.recipients = {"c@example.com", "a@example.com"};
    message.subject = "Here are your Web Site reports generated on Friday, March 01, 2024\r\nBcc: x@evil.example";
    message.lines = {"Here are your Web Site reports", "Report Listing:", " - Most Popular Pages (eLKRPages.html)"};
    message.attachments = {page};
    const std::string eml = writeEml(message, {"Larkspan <me@localhost>", "Fri, 01 Mar 2024 12:00:00 +0000", "<1@x>"});

    std::size_t start = 0;
    while (start < eml.size()) {
        const std::size_t end = eml.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "unterminated last line";
        const std::string line = eml.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
        EXPECT_LE(line.size(), 78u) << line;
        start = end + 2;
    }
    EXPECT_NE(eml.find("To: c@example.com, a@example.com\r\n"), std::string::npos);
    EXPECT_EQ(eml.find("\r\nBcc:"), std::string::npos);
    EXPECT_NE(eml.find("X-Unsent: 1\r\n"), std::string::npos);
    EXPECT_NE(eml.find("Content-Disposition: attachment; filename=\"eLKRPages.html\"\r\n"), std::string::npos);
    EXPECT_NE(
        eml.find(
            "\r\n\r\nHere are your Web Site reports\r\nReport Listing:\r\n - Most Popular Pages (eLKRPages.html)\r\n"),
        std::string::npos);

    message.attachments.push_back(temp.file("gone.html"));
    EXPECT_THROW(writeEml(message, {}), Error);
}

TEST(MimeMessage, DraftFileGoesToTheReportFolder)
{
    TempFolder temp;
    MailMessage message;
    message.recipients = {"c@example.com"};
    message.subject = "Reports";
    message.attachments = {temp.write("eindex.html", "<html></html>")};
    EXPECT_EQ(mailDraftPath(message), temp.file("LKRMail.eml"));
    message.folder = temp.file("elsewhere");
    EXPECT_EQ(mailDraftPath(message), temp.file("elsewhere/LKRMail.eml"));
    EXPECT_THROW(saveMailDraft(message, LocalDateTime{{2024, 3, 1}, 12, 0, 0}), Error);
    message.folder = temp.path();
    const std::string path = saveMailDraft(message, LocalDateTime{{2024, 3, 1}, 12, 0, 0});
    EXPECT_EQ(path, temp.file("LKRMail.eml"));
    EXPECT_NE(temp.read("LKRMail.eml").find("Date: Fri, 01 Mar 2024 12:00:00 "), std::string::npos);
    EXPECT_EQ(mailDraftPath(MailMessage{}), "");

    // A link planted at the draft's name is replaced by a private file.
    const std::string victim = temp.write("outside/victim.txt", "precious");
    std::filesystem::remove(path);
    std::filesystem::create_symlink(victim, path);
    saveMailDraft(message, LocalDateTime{{2024, 3, 1}, 12, 0, 0});
    EXPECT_EQ(temp.read("outside/victim.txt"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(MailClientHandOff, XdgEmailCommandLine)
{
    MailMessage message;
    message.recipients = {"c@example.com", "a@example.com; -x@evil.example"};
    message.subject = "Reports\r\nof March";
    message.lines = {"Here are your reports", "Report Listing:", " - caf\xE9 (eLKRPages.html)"};
    message.attachments = {"/r/w/eLKRPages.html", "/r/w/eindex.html"};
    EXPECT_EQ(xdgEmailArguments(message),
              (std::vector<std::string>{"xdg-email", "--utf8", "--subject", "Reports  of March", "--body",
                                        "Here are your reports\nReport Listing:\n - caf\xC3\xA9 (eLKRPages.html)",
                                        "--attach", "/r/w/eLKRPages.html", "--attach", "/r/w/eindex.html",
                                        "c@example.com", "a@example.com"}));
}
