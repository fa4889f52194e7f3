#include "DesktopMailClient.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

struct DesktopMail : ::testing::Test {
    TempFolder temp;
    FakeMessages messages;
    FixedClock clock{LocalDateTime{{2024, 3, 1}, 12, 0, 0}};
    std::vector<std::vector<std::string>> launched;
    int status = 0;

    DesktopMailClient client(bool desktop = true)
    {
        return DesktopMailClient(
            messages, clock,
            [this](const std::vector<std::string>& arguments) {
                launched.push_back(arguments);
                return status;
            },
            desktop);
    }

    MailMessage message()
    {
        MailMessage m;
        m.recipients = {"c@example.com", "a@example.com"};
        m.subject = "Here are your Web Site reports generated on Friday, March 01, 2024";
        m.lines = {m.subject, "Report Listing:"};
        m.attachments = {temp.write("eindex.html", "<html></html>")};
        m.folder = temp.path();
        return m;
    }
};

}  // namespace

TEST_F(DesktopMail, ReviewedMessageGoesToTheMailClientAndIsKeptAsAFile)
{
    messages.scriptAnswer(Answer::Yes);
    const MailResult result = client().send(message());
    EXPECT_EQ(result.outcome, MailOutcome::Sent);
    EXPECT_EQ(result.detail, temp.file("LKRMail.eml"));
    EXPECT_TRUE(std::filesystem::exists(temp.file("LKRMail.eml")));
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_TRUE(messages.recorded[0].question);
    EXPECT_EQ(messages.recorded[0].buttons, Buttons::YesNo);
    EXPECT_NE(messages.recorded[0].text.find("To: c@example.com, a@example.com"), std::string::npos);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].front(), "xdg-email");
    EXPECT_EQ(launched[0].back(), "a@example.com");
}

TEST_F(DesktopMail, CancelledReviewAndFailuresSendNothing)
{
    messages.scriptAnswer(Answer::No);
    EXPECT_EQ(client().send(message()).outcome, MailOutcome::Cancelled);
    EXPECT_TRUE(launched.empty());
    EXPECT_TRUE(std::filesystem::exists(temp.file("LKRMail.eml")));

    messages.scriptAnswer(Answer::Yes);
    status = 3;
    MailResult failed = client().send(message());
    EXPECT_EQ(failed.outcome, MailOutcome::Failed);
    EXPECT_NE(failed.detail.find("(status 3)"), std::string::npos);
    EXPECT_NE(failed.detail.find(temp.file("LKRMail.eml")), std::string::npos);

    messages.scriptAnswer(Answer::Yes);
    status = -1;
    EXPECT_NE(client().send(message()).detail.find("xdg-email was not found"), std::string::npos);

    const std::size_t asked = messages.recorded.size();
    const MailResult headless = client(false).send(message());
    EXPECT_EQ(headless.outcome, MailOutcome::Failed);
    EXPECT_EQ(messages.recorded.size(), asked) << "no review without a desktop";

    MailMessage unreadable = message();
    unreadable.attachments.push_back(temp.file("gone.html"));
    const MailResult lost = client().send(unreadable);
    EXPECT_EQ(lost.outcome, MailOutcome::Failed);
    EXPECT_EQ(lost.detail, "Unable to read the attachment " + temp.file("gone.html"));
}

TEST(DesktopMailLaunch, ExitStatusOfTheStartedProgram)
{
    EXPECT_EQ(DesktopMailClient::spawnAndWait({"true"}), 0);
    EXPECT_EQ(DesktopMailClient::spawnAndWait({"sh", "-c", "exit 3"}), 3);
    EXPECT_EQ(DesktopMailClient::spawnAndWait({"larkspan-no-such-program"}), -1);
    EXPECT_EQ(DesktopMailClient::spawnAndWait({}), -1);
}
