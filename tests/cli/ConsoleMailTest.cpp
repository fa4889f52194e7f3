#include "ConsoleMailClient.h"
#include "fakes/TempFolder.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace larkspan;
using namespace larkspan::testing;

TEST(ConsoleMail, WritesTheMessageFileAndPrintsItsPath)
{
    TempFolder temp;
    FixedClock clock(LocalDateTime{{2024, 3, 1}, 12, 0, 0});
    std::ostringstream out;
    ConsoleMailClient mail(out, clock);
    MailMessage message;
    message.recipients = {"c@example.com"};
    message.subject = "Reports";
    message.attachments = {temp.write("eindex.html", "<html></html>")};

    const MailResult result = mail.send(message);
    EXPECT_EQ(result.outcome, MailOutcome::Sent);
    EXPECT_EQ(result.detail, temp.file("LKRMail.eml"));
    EXPECT_EQ(out.str(), "Mail message saved as " + temp.file("LKRMail.eml") + "\n");
    EXPECT_TRUE(std::filesystem::exists(temp.file("LKRMail.eml")));

    message.folder = temp.file("no/such/folder");
    const MailResult failed = mail.send(message);
    EXPECT_EQ(failed.outcome, MailOutcome::Failed);
    EXPECT_EQ(failed.detail, "Unable to create file " + temp.file("no/such/folder/LKRMail.eml"));
}
