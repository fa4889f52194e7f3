// The profile editor window: initial state, populating from a table, the
// date rule, the save checks and the toolbar's results.
#include "ProfileEditorFixture.h"
#include "common/Error.h"
#include "common/KeyValueTable.h"
#include "common/Text.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

class ProfileEditorTest : public ProfileEditorFixture {};

TEST_F(ProfileEditorTest, StartsWithItsPagesCaptionsHintsAndInitialStates)
{
    makeWeb("shop");
    temp.write("wwwstats/nodata/readme.txt", "x"); // a folder without its settings file is offered at first
    ProfileEditor& e = editor();
    EXPECT_EQ(e.windowTitle(), "Larkspan Profile Editor");
    const QStringList pages{
        "Profile Identification", "Select Web ", "Time Period", "Report Information", "Options", "Filters", "Special"};
    ASSERT_EQ(e.pages()->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_EQ(e.pages()->tabText(i), pages[i]);
    EXPECT_EQ(e.pages()->currentIndex(), 0);

    const std::pair<const char*, const char*> toolbar[] = {
        {"HelpBtn", "Help on the profile editor"},
        {"DefaultsBtn", "Set the current settings as the base profile"},
        {"CloseBtn", "Close the profile editor without saving changes"},
        {"SaveBtn", "Save changes and close the profile editor"},
        {"RunBtn", "Save changes and run the report"},
    };
    int previousX = -1;
    e.show();
    for (const auto& [name, hint] : toolbar) {
        QPushButton* button = child<QPushButton>(name);
        EXPECT_EQ(button->toolTip(), hint);
        EXPECT_GT(button->x(), previousX) << name << " is out of order";
        previousX = button->x();
    }
    EXPECT_EQ(child<QPushButton>("RunBtn")->text(), "&Run Report");
    EXPECT_EQ(child<QPushButton>("AddIpBtn")->toolTip(), "Add an IP Address to exclude");
    EXPECT_EQ(child<QPushButton>("AddAffsBtn")->toolTip(), "Add an affiliate's domain");
    EXPECT_EQ(child<QToolButton>("CsvFolderBtn")->toolTip(), "Select Folder ...");

    for (const char* ticked : {"cbPage", "cbBrowser", "cbUsage", "cbReferrers", "cbOBrowser", "cbHitPage"}) {
        EXPECT_TRUE(child<QCheckBox>(ticked)->isChecked()) << ticked;
    }
    for (const char* clear : {"cbDemogs", "cbOAdmin", "cbOConsumer", "cbOCsv", "cbHitDf", "cbHitImg", "cbHitOth"}) {
        EXPECT_FALSE(child<QCheckBox>(clear)->isChecked()) << clear;
    }
    EXPECT_TRUE(child<QRadioButton>("rbTrackPages")->isChecked());
    EXPECT_EQ(combo("PreDate")->currentIndex(), -1);
    EXPECT_EQ(combo("PreDate")->itemText(7), "Run the report for the specified date range");
    EXPECT_EQ(combo("MaxRows")->currentIndex(), -1);
    EXPECT_EQ(combo("MaxRows")->count(), 7);
    EXPECT_TRUE(picker("StartDate")->isEnabled());
    EXPECT_TRUE(picker("EndDate")->isEnabled());
    EXPECT_FALSE(field("CsvPath")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("cbOverwrite")->isEnabled());
    EXPECT_TRUE(field("RTitle")->isHidden());
    EXPECT_EQ(field("RTitle")->text(), "Larkspan Activity Report");
    EXPECT_TRUE(field("ProfAdmin")->isHidden());
    EXPECT_EQ(combo("WebList")->count(), 2); // every sub-folder of wwwstats
    EXPECT_EQ(combo("WebList")->currentText(), "");
    EXPECT_EQ(e.focusWidget(), field("ProfName"));
}

TEST_F(ProfileEditorTest, SaveChecksComeInOrderEachShowingItsPage)
{
    makeWeb("shop");
    ProfileEditor& e = editor();
    e.show();
    child<QCheckBox>("cbHitPage")->setChecked(false);
    e.pages()->setCurrentIndex(ProfileEditor::Special);

    EXPECT_FALSE(e.WriteProfile(false)); // everything missing: the name comes first
    EXPECT_EQ(texts(), (std::vector<std::string>{"You must assign a name to your profile to save it."}));
    EXPECT_EQ(messages.recorded.back().kind, MessageKind::Error);
    EXPECT_EQ(e.pages()->currentIndex(), ProfileEditor::Identification);
    EXPECT_EQ(e.focusWidget(), field("ProfName"));

    field("ProfName")->setText("   "); // blank counts as empty
    EXPECT_FALSE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "You must assign a name to your profile to save it.");

    field("ProfName")->setText("shop");
    EXPECT_FALSE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "You must assign a URL to your profile to save it.");
    EXPECT_EQ(e.focusWidget(), field("URL"));

    field("URL")->setText("www.shop.example");
    EXPECT_FALSE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "You must assign a Web to your profile to save it.");
    EXPECT_EQ(e.pages()->currentIndex(), ProfileEditor::SelectWeb);

    combo("WebList")->setEditText("SHOP");
    EXPECT_FALSE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "You must select at least one hit filter option.");
    EXPECT_EQ(e.pages()->currentIndex(), ProfileEditor::Options);

    child<QCheckBox>("cbHitOth")->setChecked(true);
    child<QCheckBox>("cbDetails")->setChecked(true);
    picker("StartDate")->setDate(date(2024, 2, 10));
    picker("EndDate")->setDate(date(2024, 2, 9));
    EXPECT_FALSE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "The start date of the report cannot be greater than the end date.");
    EXPECT_EQ(e.pages()->currentIndex(), ProfileEditor::TimePeriod);
    EXPECT_FALSE(exists(profileFile("shop", ".rpf")));
    EXPECT_EQ(field("URL")->text(), "www.shop.example"); // input kept

    picker("EndDate")->setDate(date(2024, 2, 10)); // one day is a range
    EXPECT_TRUE(e.WriteProfile(false));
    EXPECT_EQ(lastText(), "Profile saved successfully.");
    EXPECT_EQ(messages.recorded.back().kind, MessageKind::Information);
    KeyValueTable saved;
    saved.load(profileFile("shop", ".rpf"));
    EXPECT_EQ(saved.getText("path"), "shop"); // as the web's folder is named
    EXPECT_EQ(saved.getText("pre-date"), "7");
    EXPECT_EQ(saved.getText("start"), std::to_string(day(2024, 2, 10)));
    EXPECT_EQ(saved.getText("hitoth"), "TRUE");
    EXPECT_EQ(saved.getText("hitpage"), "FALSE");
    EXPECT_EQ(saved.getText("maxrows"), "");
    EXPECT_EQ(saved.getText("details"), "TRUE");
    EXPECT_EQ(saved.getText("norobots"), "FALSE");
    EXPECT_EQ(saved.rowCount(), 30);
    EXPECT_TRUE(exists(profileFile("shop", ".ip")));
    EXPECT_TRUE(exists(profileFile("shop", ".refd")));
}

TEST_F(ProfileEditorTest, SetDefaultsWritesTheBaseWithoutTheChecksButKeepsTheDateOrder)
{
    ProfileEditor& e = editor();
    child<QCheckBox>("cbHitPage")->setChecked(false);
    listBox("IpList")->setPlainText("10.0.0.1");

    click("DefaultsBtn"); // answered No
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_TRUE(messages.recorded[0].question);
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.recorded[0].buttons, Buttons::YesNo);
    EXPECT_EQ(messages.recorded[0].text, "Save the current settings as the defaults in the Base profile?\nThis will "
                                         "overwrite your current base default settings.");
    EXPECT_EQ(temp.read("My Profiles/base.rpf.def"), "2,1\r\n");

    picker("StartDate")->setDate(date(2024, 3, 2));
    picker("EndDate")->setDate(date(2024, 3, 1));
    messages.scriptAnswer(Answer::Yes);
    click("DefaultsBtn");
    EXPECT_EQ(lastText(), "The start date of the report cannot be greater than the end date.");
    EXPECT_EQ(temp.read("My Profiles/base.rpf.def"), "2,1\r\n");

    picker("StartDate")->setDate(date(2024, 2, 1));
    messages.scriptAnswer(Answer::Yes);
    click("DefaultsBtn");
    EXPECT_EQ(lastText(), "Base defaults saved successfully.");
    EXPECT_TRUE(e.isVisible() || e.result() == 0); // the editor stays open
    KeyValueTable base;
    base.load(profileFile("base", ".rpf.def"));
    EXPECT_EQ(base.getText("hitpage"), "FALSE");
    EXPECT_EQ(base.getText("url"), "");
    EXPECT_EQ(temp.read("My Profiles/base.ip.def"), "10.0.0.1");
    EXPECT_FALSE(exists(profileFile("", ".rpf")));
}

TEST_F(ProfileEditorTest, PredefinedRangesFillAndLockThePickersOnAFixedDay)
{
    ProfileEditor& e = editor();
    (void)e;
    QComboBox* ranges = combo("PreDate");
    struct Expected {
        int choice;
        QDate first, last;
    } cases[] = {
        {0, date(2024, 2, 29), date(2024, 2, 29)}, {1, date(2024, 3, 1), date(2024, 3, 1)},
        {2, date(2024, 2, 18), date(2024, 2, 24)}, {3, date(2024, 2, 25), date(2024, 3, 1)},
        {4, date(2024, 2, 1), date(2024, 2, 29)},  {5, date(2024, 3, 1), date(2024, 3, 1)},
        {6, date(2024, 1, 1), date(2024, 3, 1)},
    };
    for (const Expected& c : cases) {
        ranges->setCurrentIndex(c.choice);
        EXPECT_EQ(picker("StartDate")->date(), c.first) << c.choice;
        EXPECT_EQ(picker("EndDate")->date(), c.last) << c.choice;
        EXPECT_FALSE(picker("StartDate")->isEnabled()) << c.choice;
        EXPECT_FALSE(picker("EndDate")->isEnabled()) << c.choice;
        EXPECT_EQ(ranges->currentIndex(), c.choice) << "filling the pickers must not choose the specified range";
    }

    ranges->setCurrentIndex(4);
    ranges->setCurrentIndex(7); // the specified range keeps last month's dates
    EXPECT_TRUE(picker("StartDate")->isEnabled());
    EXPECT_EQ(picker("StartDate")->date(), date(2024, 2, 1));
    EXPECT_EQ(picker("EndDate")->date(), date(2024, 2, 29));

    ranges->setCurrentIndex(-1);
    EXPECT_TRUE(picker("EndDate")->isEnabled());
    picker("EndDate")->setDate(date(2024, 2, 20)); // the operator's change chooses the specified range
    EXPECT_EQ(ranges->currentIndex(), 7);

    // On a Sunday "this week to date" is today alone.
    clock.set(LocalDateTime{{2024, 3, 3}, 9, 0, 0});
    ranges->setCurrentIndex(3);
    EXPECT_EQ(picker("StartDate")->date(), date(2024, 3, 3));
    EXPECT_EQ(picker("EndDate")->date(), date(2024, 3, 3));
}

TEST_F(ProfileEditorTest, PopulateReadsDatesInBothFormsAndReportsBadOnes)
{
    open("dated", "2,3\r\n0,0,pre-date\r\n1,0,7\r\n0,1,start\r\n1,1,3/15/2000\r\n0,2,end\r\n1,2,36605\r\n");
    EXPECT_TRUE(messages.recorded.empty());
    EXPECT_EQ(combo("PreDate")->currentIndex(), 7);
    EXPECT_EQ(picker("StartDate")->date(), date(2000, 3, 15));
    EXPECT_EQ(picker("EndDate")->date(), date(2000, 3, 20));
    EXPECT_TRUE(picker("StartDate")->isEnabled());
    EXPECT_EQ(editor().windowTitle(), "dated");

    open("bad", "2,3\r\n0,0,pre-date\r\n1,0,7\r\n0,1,start\r\n1,1,3/0/2000\r\n0,2,end\r\n1,2,2/30/2001\r\n");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Error reading Start Date from profile.\nSetting to today's date.",
                                                 "Error reading End Date from profile.\nSetting to today's date."}));
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
    EXPECT_EQ(picker("StartDate")->date(), date(2024, 3, 1));
    EXPECT_EQ(picker("EndDate")->date(), date(2024, 3, 1));
    EXPECT_EQ(combo("PreDate")->currentIndex(), 7);

    messages.recorded.clear();
    open("outside", "2,3\r\n0,0,pre-date\r\n1,0,9\r\n0,1,start\r\n1,1,nonsense\r\n");
    EXPECT_TRUE(messages.recorded.empty()) << "dates are read only for the specified range";
    EXPECT_EQ(combo("PreDate")->currentIndex(), -1);
    EXPECT_TRUE(picker("StartDate")->isEnabled());

    open("lastmonth", "2,1\r\n0,0,pre-date\r\n1,0,4\r\n");
    EXPECT_EQ(picker("StartDate")->date(), date(2024, 2, 1));
    EXPECT_FALSE(picker("EndDate")->isEnabled());

    EXPECT_THROW(open("broken", "2,1\r\n0,0,pre-date\r\n1,0,soon\r\n"), Error);
}

TEST_F(ProfileEditorTest, PopulateSetsSwitchesListsAndTheWeb)
{
    makeWeb("Shop");
    temp.write("wwwstats/empty/readme.txt", "x"); // no settings file: not offered after populating
    temp.write("My Profiles/full.ip", "10.0.0.1\r\n\r\n10.0.0.2");
    temp.write("My Profiles/full.subd", "products,SubDomain\r\n");
    open("full", "2,12\r\n0,0,url\r\n1,0,www.a.example\r\n0,1,path\r\n1,1,shop\r\n0,2,g3d\r\n1,2,yes\r\n"
                 "0,3,trackbyses\r\n1,3,t\r\n0,4,maxrows\r\n1,4,all\r\n0,5,ocsv\r\n1,5,1\r\n0,6,csvpath\r\n"
                 "1,6,/srv/csv/\r\n0,7,page\r\n1,7,no\r\n0,8,hitdf\r\n1,8,Y\r\n0,9,rtitle\r\n1,9,Mine\r\n"
                 "0,10,admin\r\n1,10,Ann\r\n0,11,pre-date\r\n1,11,1\r\n");
    EXPECT_EQ(field("URL")->text(), "www.a.example");
    EXPECT_EQ(combo("WebList")->currentText(), "Shop");
    EXPECT_EQ(combo("WebList")->count(), 1);
    EXPECT_TRUE(child<QRadioButton>("rb3D")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("rbTrackSessions")->isChecked());
    EXPECT_EQ(combo("MaxRows")->currentText(), "ALL");
    EXPECT_TRUE(child<QCheckBox>("cbOCsv")->isChecked());
    EXPECT_TRUE(field("CsvPath")->isEnabled());
    EXPECT_EQ(field("CsvPath")->text(), "/srv/csv/");
    EXPECT_FALSE(child<QCheckBox>("cbPage")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cbBrowser")->isChecked()); // missing reads false
    EXPECT_FALSE(child<QCheckBox>("cbHitPage")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cbHitDf")->isChecked());
    EXPECT_EQ(field("RTitle")->text(), "Mine");
    EXPECT_EQ(field("ProfAdmin")->text(), "Ann");
    EXPECT_EQ(listBox("IpList")->listText(), "10.0.0.1\r\n\r\n10.0.0.2");
    EXPECT_EQ(listBox("SubdList")->listText(), "products,SubDomain\r\n");
    EXPECT_EQ(listBox("AddsList")->listText(), "");
    EXPECT_EQ(picker("StartDate")->date(), date(2024, 3, 1));
}

TEST_F(ProfileEditorTest, ARemovedWebOpensEmptyAndSavingReportsIt)
{
    makeWeb("blog");
    open("orphan", "2,4\r\n0,0,url\r\n1,0,www.x.example\r\n0,1,path\r\n1,1,gone\r\n0,2,hitpage\r\n1,2,TRUE\r\n"
                   "0,3,pre-date\r\n1,3,1\r\n");
    EXPECT_EQ(combo("WebList")->currentText(), "");
    EXPECT_EQ(combo("WebList")->currentIndex(), -1);
    EXPECT_EQ(editor().table().getText("path"), "");
    click("SaveBtn");
    EXPECT_EQ(lastText(), "You must assign a Web to your profile to save it.");
    EXPECT_EQ(editor().result(), 0);
}

TEST_F(ProfileEditorTest, UnknownRowsAndExactListTextsSurviveASave)
{
    makeWeb("shop");
    open("kept", "2,4\r\n0,0,Custom\r\n1,0,a,b,c\r\n0,1,URL\r\n1,1,www.k.example\r\n0,2,path\r\n1,2,shop\r\n"
                 "0,3,HitPage\r\n1,3,t\r\n");
    listBox("AffsList")->setListText("one.example\r\n\r\ntwo.example");
    listBox("RefdList")->setListText("");
    click("SaveBtn");
    EXPECT_EQ(lastText(), "Profile saved successfully.");
    KeyValueTable saved;
    saved.load(profileFile("kept", ".rpf"));
    ASSERT_EQ(saved.rowCount(), 31);
    EXPECT_EQ(saved.keyAt(0), "Custom");
    EXPECT_EQ(saved.valueAt(0), "a,b,c");
    EXPECT_EQ(saved.keyAt(1), "URL"); // the table's own row, not a second one
    EXPECT_EQ(saved.valueAt(1), "www.k.example");
    EXPECT_EQ(saved.keyAt(3), "HitPage");
    EXPECT_EQ(saved.valueAt(3), "TRUE");
    EXPECT_EQ(saved.keyAt(4), "admin"); // missing keys follow in the key table's order
    EXPECT_EQ(saved.keyAt(28), "hitdf");
    EXPECT_EQ(temp.read("My Profiles/kept.affs"), "one.example\r\n\r\ntwo.example");
    EXPECT_EQ(temp.read("My Profiles/kept.refd"), "");

    // Saved under another name: a new group of files, the old one stays.
    messages.recorded.clear();
    open("kept", temp.read("My Profiles/kept.rpf"));
    field("ProfName")->setText("renamed");
    click("SaveBtn");
    EXPECT_TRUE(exists(profileFile("renamed", ".rpf")));
    EXPECT_EQ(temp.read("My Profiles/renamed.affs"), "one.example\r\n\r\ntwo.example");
    EXPECT_TRUE(exists(profileFile("kept", ".rpf")));
}

TEST_F(ProfileEditorTest, AFailedWriteNamesEachFileAndKeepsTheEditorOpen)
{
    fillValid();
    temp.write("My Profiles/shop.ip/blocker", ""); // a folder where the list file belongs
    temp.write("My Profiles/shop.affs/blocker", "");
    listBox("IpList")->setListText("10.0.0.1");
    click("SaveBtn");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Error Saving IP Filter", "Error Saving Affiliate Domain Entries",
                                                 "Error saving profile."}));
    EXPECT_NE(editor().result(), QDialog::Accepted);
    EXPECT_EQ(listBox("IpList")->listText(), "10.0.0.1");
    EXPECT_TRUE(exists(profileFile("shop", ".subd"))); // the lists after a failed one are still written

    messages.recorded.clear();
    fillValid("locked");
    temp.write("My Profiles/locked.rpf/blocker", "");
    session().runAfterEdit = false;
    click("RunBtn");
    EXPECT_EQ(texts(), std::vector<std::string>{"Error saving profile."});
    EXPECT_FALSE(exists(profileFile("locked", ".ip"))); // no lists without the settings file
    EXPECT_FALSE(session().runAfterEdit);
    EXPECT_NE(editor().result(), QDialog::Accepted);
}

TEST_F(ProfileEditorTest, ToolbarResultsSetAndClearTheRunAfterEditFlag)
{
    ProfileEditor& e = editor();
    session().runAfterEdit = false;
    click("RunBtn"); // nothing valid yet
    EXPECT_EQ(lastText(), "You must assign a name to your profile to save it.");
    EXPECT_FALSE(session().runAfterEdit);
    EXPECT_NE(e.result(), QDialog::Accepted);

    fillValid();
    messages.recorded.clear();
    click("RunBtn");
    EXPECT_TRUE(session().runAfterEdit);
    EXPECT_EQ(e.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.recorded.empty()) << "a run shows no success message";
    EXPECT_TRUE(exists(profileFile("shop", ".rpf")));

    e.setResult(0);
    click("SaveBtn");
    EXPECT_FALSE(session().runAfterEdit);
    EXPECT_EQ(e.result(), QDialog::Accepted);
    EXPECT_EQ(lastText(), "Profile saved successfully.");

    session().runAfterEdit = true;
    e.setResult(0);
    field("ProfName")->setText("never");
    click("CloseBtn");
    EXPECT_FALSE(session().runAfterEdit);
    EXPECT_EQ(e.result(), QDialog::Rejected);
    EXPECT_FALSE(exists(profileFile("never", ".rpf")));

    click("HelpBtn");
    EXPECT_EQ(help.topics, std::vector<int>{500});
}

TEST_F(ProfileEditorTest, CsvControlsFollowTheTickAndTheFolderButtonAddsASeparator)
{
    editor().chooseFolder = [](const QString& caption) {
        EXPECT_EQ(caption, "Select a Folder");
        return QString("/srv/reports/csv");
    };
    QCheckBox* csv = child<QCheckBox>("cbOCsv");
    csv->setChecked(true);
    EXPECT_TRUE(field("CsvPath")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("CsvFolderBtn")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("cbOverwrite")->isEnabled());
    child<QToolButton>("CsvFolderBtn")->click();
    EXPECT_EQ(field("CsvPath")->text(), "/srv/reports/csv/");

    editor().chooseFolder = [](const QString&) { return QString(); }; // Cancel
    child<QToolButton>("CsvFolderBtn")->click();
    EXPECT_EQ(field("CsvPath")->text(), "/srv/reports/csv/");
    csv->setChecked(false);
    EXPECT_FALSE(field("CsvPath")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("cbOverwrite")->isEnabled());
}
