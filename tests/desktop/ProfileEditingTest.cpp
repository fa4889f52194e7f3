// The main window's New, Open and Run through the real profile editor.
#include "profiles/ProfileEditing.h"
#include "DesktopApp.h"
#include "ProfileEditorFixture.h"

#include <QTabWidget>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace {
constexpr const char* kDaily =
    "2,3\r\n0,0,url\r\n1,0,www.daily.example\r\n0,1,path\r\n1,1,shop\r\n0,2,hitpage\r\n1,2,TRUE\r\n";
}

class ProfileEditing : public ProfileEditorFixture {
  protected:
    // Main-window hooks that open the editor, let act drive it, and record
    // the runs.
    MainWindow::Hooks hooks()
    {
        MainWindow::Hooks h;
        h.editProfile = [this](const std::string& name) {
            return editProfile(session(), name, nullptr, [this](ProfileEditor& editor) {
                ++shown;
                captions << editor.windowTitle();
                if (act) act(editor);
                return editor.result();
            });
        };
        h.runReport = [this] { runs.push_back(session().currentProfile); };
        return h;
    }

    static void fill(ProfileEditor& editor, const char* name)
    {
        editor.findChild<QLineEdit*>("ProfName")->setText(name);
        editor.findChild<QLineEdit*>("URL")->setText("www.shop.example");
        editor.findChild<QComboBox*>("WebList")->setEditText("shop");
    }

    std::function<void(ProfileEditor&)> act;
    int shown = 0;
    QStringList captions;
    std::vector<std::string> runs;
};

TEST_F(ProfileEditing, NewStartsFromTheBaseProfileAndRunReportRunsIt)
{
    makeWeb("shop");
    temp.write("My Profiles/base.rpf.def",
               "2,3\r\n0,0,url\r\n1,0,www.base.example\r\n0,1,maxrows\r\n1,1,50\r\n0,2,hitpage\r\n1,2,TRUE\r\n");
    temp.write("My Profiles/base.ip.def", "192.168.0.1\r\n");
    temp.write("My Profiles/base.adds.def", "ads.example");
    std::string urlShown, ipShown, maxRowsShown;
    act = [&](ProfileEditor& editor) {
        urlShown = editor.findChild<QLineEdit*>("URL")->text().toStdString();
        maxRowsShown = editor.findChild<QComboBox*>("MaxRows")->currentText().toStdString();
        ipShown = editor.listTexts().ip;
        fill(editor, "weekly");
        editor.saveAndRun();
    };
    window(hooks()).newProfile();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(captions.value(0), "Larkspan Profile Editor");
    EXPECT_EQ(urlShown, "www.base.example");
    EXPECT_EQ(maxRowsShown, "50");
    EXPECT_EQ(ipShown, "192.168.0.1\r\n");
    EXPECT_EQ(runs, std::vector<std::string>{"weekly"});
    EXPECT_EQ(temp.read("My Profiles/weekly.ip"), "192.168.0.1\r\n");
    EXPECT_EQ(temp.read("My Profiles/weekly.adds"), "ads.example");
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(list().item(0)->text(), "weekly");
}

TEST_F(ProfileEditing, OpenShowsTheProfileAndAFailedRunReportRunsNothing)
{
    makeWeb("shop");
    temp.write("My Profiles/daily.rpf", kDaily);
    temp.write("My Profiles/daily.refd", "spam.example\r\n");
    std::string refdShown;
    act = [&](ProfileEditor& editor) {
        refdShown = editor.listTexts().refd;
        editor.findChild<QLineEdit*>("URL")->clear();
        editor.saveAndRun(); // refused: the editor stays, then the operator closes it
        if (editor.result() != QDialog::Accepted) editor.closeWithoutSaving();
    };
    window(hooks());
    select(0);
    window().openProfile();
    EXPECT_EQ(captions.value(0), "daily");
    EXPECT_EQ(refdShown, "spam.example\r\n");
    EXPECT_EQ(lastText(), "You must assign a URL to your profile to save it.");
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(session().runAfterEdit);

    // Save and Close keeps the profile current without a run.
    act = [](ProfileEditor& editor) { editor.saveAndClose(); };
    window().openProfile();
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(session().currentProfile, "daily");
    EXPECT_EQ(lastText(), "Profile saved successfully.");
}

TEST_F(ProfileEditing, ConfirmBeforeRunRunsOnlyAfterRunReport)
{
    makeWeb("shop");
    writeSettings(true, "0", "0");
    temp.write("My Profiles/daily.rpf", kDaily);
    act = [](ProfileEditor& editor) { editor.closeWithoutSaving(); };
    window(hooks());
    select(0);
    window().runSelected();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(runs.empty());

    act = [](ProfileEditor& editor) { editor.saveAndRun(); };
    window().runSelected();
    EXPECT_EQ(runs, std::vector<std::string>{"daily"});
}

TEST_F(ProfileEditing, AnUnreadableProfileDoesNotOpenTheEditor)
{
    temp.write("My Profiles/broken.rpf", "0,0\r\n");
    temp.write("My Profiles/oddly.rpf", "2,1\r\n0,0,pre-date\r\n1,0,soon\r\n");
    window(hooks());
    select(0);
    window().openProfile();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(lastText(), "File contains no data or corrupt file " + temp.file("My Profiles/broken.rpf"));
    EXPECT_EQ(messages.recorded.back().kind, MessageKind::Error);

    select(1);
    window().openProfile();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(lastText(), "'soon' is not a valid integer value");

    std::remove(temp.file("My Profiles/base.rpf.def").c_str());
    window().newProfile();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(lastText(), "Cannot open file " + temp.file("My Profiles/base.rpf.def"));
}

TEST_F(ProfileEditing, TheProgramsMainWindowOpensTheEditor)
{
    EXPECT_TRUE(static_cast<bool>(desktopHooks(session()).editProfile));
}
