// The web manager, the web property editor and the data-directory dialog,
// driven through their real widgets.
#include "DataFolderDialog.h"
#include "DesktopFixture.h"
#include "WebManagerWindow.h"
#include "WebPropertiesEditor.h"
#include "webs/FtpSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace fs = std::filesystem;

class WebManager : public DesktopFixture {
  protected:
    WebManager()
    {
        logs = temp.path() + "/logs";
        temp.write("logs/access.log", "x\n");
        temp.write("logs/old.log", "x\n");
        temp.write("logs/with blank.log", "x\n");
    }

    WebManagerWindow& manager()
    {
        if (!manager_) {
            manager_ = std::make_unique<WebManagerWindow>(session());
            manager_->runEditor = [this](WebPropertiesEditor& editor) {
                fill(editor);
                editor.save();
                editorShownFtpPage = editor.ftpPageShown() && editor.pages()->currentIndex() == 1;
                return editor.result();
            };
            manager_->importWeb = [this](const std::string& web) { imported.push_back(web); };
        }
        return *manager_;
    }

    // A local web written straight into the store.
    void makeWeb(const std::string& name, const std::string& fileList)
    {
        temp.write("wwwstats/" + name + "/" + name + ".dat", name + "\r\n0\r\n0\r\nwww.example.com\r\nTRUE\r\n");
        temp.write("wwwstats/" + name + "/" + name + ".wfl", fileList);
    }

    QStringList webNames()
    {
        QStringList names;
        for (int row = 0; row < manager().webList()->count(); ++row)
            names << manager().webList()->item(row)->text();
        return names;
    }

    void selectWebs(std::initializer_list<int> rows)
    {
        manager().webList()->clearSelection();
        for (int row : rows)
            manager().webList()->item(row)->setSelected(true);
    }

    std::function<void(WebPropertiesEditor&)> fill = [](WebPropertiesEditor&) {};
    std::string logs;
    std::vector<std::string> imported;
    bool editorShownFtpPage = false;

  private:
    std::unique_ptr<WebManagerWindow> manager_;
};

TEST_F(WebManager, NewLocalWebIsSavedListedAndSelected)
{
    makeWeb("alpha", logs + "/old.log\r\n");
    fill = [this](WebPropertiesEditor& editor) {
        EXPECT_TRUE(editor.localChoice()->isChecked());
        EXPECT_FALSE(editor.ftpPageShown());
        EXPECT_EQ(editor.nameField()->maxLength(), 8);
        editor.nameField()->setText(" shop ");
        editor.pathField()->setText(QString::fromStdString(logs + "/*.log"));
        editor.urlField()->setText("www.shop.example");
    };
    manager().newWeb();
    EXPECT_EQ(webNames(), (QStringList{"alpha", "shop"}));
    ASSERT_EQ(manager().webList()->selectedItems().size(), 1);
    EXPECT_EQ(manager().webList()->selectedItems()[0]->text(), "shop");
    EXPECT_EQ(temp.read("wwwstats/shop/shop.wfl"), logs + "/*.log\r\n");
    EXPECT_EQ(temp.read("wwwstats/shop/shop.dat"), "shop\r\n0\r\n0\r\nwww.shop.example\r\nFALSE\r\n");
    EXPECT_TRUE(texts().empty());
}

TEST_F(WebManager, EditorRefusalsKeepItOpenAndWriteNothing)
{
    makeWeb("alpha", logs + "/old.log\r\n");
    struct Case {
        std::string name;
        std::string path;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"  ", logs + "/access.log", "The Web must have a name to be saved."},
        {"ALPHA", logs + "/access.log", "The Web you are trying to create ALPHA already exists."},
        {"beta", "", "The Web must have Log names to be saved."},
        {"beta", logs + "/access.log," + logs + "/*.log",
         "The Web Log could not be saved.\nWildcard file masks are not allowed when multiple files are selected."},
        {"beta", temp.path() + "/lo*/x.log",
         "The Web Log could not be saved.\nWildcard characters ('*' and '?') are only allowed in file names."},
    };
    for (const Case& c : cases) {
        messages.recorded.clear();
        fill = [&c](WebPropertiesEditor& editor) {
            editor.nameField()->setText(QString::fromStdString(c.name));
            editor.pathField()->setText(QString::fromStdString(c.path));
        };
        manager().newWeb();
        EXPECT_EQ(texts(), std::vector<std::string>{c.message}) << c.name << " " << c.path;
    }
    EXPECT_EQ(webNames(), QStringList{"alpha"});
    EXPECT_EQ(temp.read("wwwstats/alpha/alpha.wfl"), logs + "/old.log\r\n");
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/beta")));
}

TEST_F(WebManager, FtpWebNeedsItsPasswordAndShowsTheFtpPage)
{
    fill = [](WebPropertiesEditor& editor) {
        editor.nameField()->setText("remote");
        editor.ftpChoice()->setChecked(true);
        EXPECT_TRUE(editor.ftpPageShown());
        EXPECT_FALSE(editor.pathField()->isEnabled());
        editor.findChild<QLineEdit*>("FtpServer")->setText("ftp.example.com");
        editor.findChild<QLineEdit*>("FtpUser")->setText("logs");
        editor.findChild<QLineEdit*>("FtpDirectory")->setText("/logs");
        editor.findChild<QLineEdit*>("FtpMask")->setText("*.log");
        EXPECT_EQ(editor.findChild<QLineEdit*>("FtpPassword")->echoMode(), QLineEdit::Password);
    };
    manager().newWeb();
    EXPECT_EQ(texts(), std::vector<std::string>{"The Web must have a Password to be saved."});
    EXPECT_TRUE(editorShownFtpPage);
    EXPECT_TRUE(webNames().isEmpty());

    messages.recorded.clear();
    auto first = fill;
    fill = [first](WebPropertiesEditor& editor) {
        first(editor);
        editor.findChild<QLineEdit*>("FtpPassword")->setText(" secret ");
        editor.findChild<QCheckBox*>("FtpTls")->setChecked(true);
    };
    manager().newWeb();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(webNames(), QStringList{"remote"});
    FtpSettings ftp;
    ASSERT_TRUE(readFtpSettings(session().settings(), messages, "remote", ftp));
    EXPECT_EQ(ftp.password, "secret");
    EXPECT_TRUE(ftp.newFilesOnly);
    EXPECT_TRUE(ftp.explicitTls);
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/remote/remote.wfl")));
}

TEST_F(WebManager, EditNeedsExactlyOneWebAndImportTakesTheFirst)
{
    makeWeb("alpha", logs + "/old.log\r\n");
    makeWeb("beta", logs + "/old.log\r\n");
    manager();
    selectWebs({});
    manager().editWeb();
    selectWebs({0, 1});
    EXPECT_FALSE(manager().findChild<QAction*>("tbEdit")->isEnabled());
    EXPECT_FALSE(manager().findChild<QAction*>("tbDelete")->isEnabled());
    EXPECT_TRUE(manager().findChild<QAction*>("tbImport")->isEnabled());
    manager().editWeb();
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "You must select a Web before you can edit its properties.",
                           "You can only edit one Web's properties at a time.\r\nPlease select only one Web Log and "
                           "try again.",
                       }));
    manager().importSelected();
    EXPECT_EQ(imported, std::vector<std::string>{"alpha"});
    selectWebs({1});
    EXPECT_TRUE(manager().findChild<QAction*>("tbEdit")->isEnabled());
}

TEST_F(WebManager, EditLoadsTheWebWithQuotedPathsAndSavesThemBare)
{
    makeWeb("alpha", logs + "/with blank.log\r\n" + logs + "/old.log\r\n");
    QString shownPath;
    bool nameReadOnly = false;
    fill = [&](WebPropertiesEditor& editor) {
        shownPath = editor.pathField()->text();
        nameReadOnly = editor.nameField()->isReadOnly();
        EXPECT_EQ(editor.urlField()->text(), "www.example.com");
        editor.pathField()->setText(QString::fromStdString("\"" + logs + "/with blank.log\""));
    };
    selectWebs({});
    manager();
    selectWebs({0});
    manager().editWeb();
    EXPECT_TRUE(nameReadOnly);
    EXPECT_EQ(shownPath.toStdString(), "\"" + logs + "/with blank.log\"," + logs + "/old.log");
    EXPECT_EQ(temp.read("wwwstats/alpha/alpha.wfl"), logs + "/with blank.log\r\n");
    EXPECT_TRUE(texts().empty());
}

TEST_F(WebManager, BrowseQuotesChosenNamesWithBlanksAndStartsInTheFirstEntrysFolder)
{
    WebPropertiesEditor editor(session(), manager().webs());
    QString startedIn;
    editor.chooseFiles = [&](const QString& start) {
        startedIn = start;
        return QStringList{QString::fromStdString(logs + "/with blank.log"),
                           QString::fromStdString(logs + "/access.log")};
    };
    editor.pathField()->setText(QString::fromStdString("\"" + logs + "/old.log\",/elsewhere/x.log"));
    editor.browse();
    EXPECT_EQ(startedIn.toStdString(), logs + "/");
    EXPECT_EQ(editor.pathField()->text().toStdString(), "\"" + logs + "/with blank.log\"," + logs + "/access.log");
}

TEST_F(WebManager, DeleteAsksThenRemovesTheWebItsDownloadsAndSettings)
{
    makeWeb("alpha", logs + "/old.log\r\n");
    makeWeb("beta", logs + "/old.log\r\n");
    temp.write("FTPTemp/alpha/part.log", "x");
    FtpSettings ftp;
    ftp.server = "ftp.example.com";
    ASSERT_TRUE(writeFtpSettings(session().settings(), messages, "alpha", ftp));
    manager();
    selectWebs({0});
    messages.scriptAnswer(Answer::No);
    manager().deleteWeb();
    EXPECT_EQ(webNames(), (QStringList{"alpha", "beta"}));
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].text,
              "Warning: This action cannot be undone. \nDo you really want to delete alpha?");
    EXPECT_EQ(messages.recorded[0].buttons, Buttons::YesNo);

    messages.scriptAnswer(Answer::Yes);
    manager().deleteWeb();
    EXPECT_EQ(webNames(), QStringList{"beta"});
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/alpha")));
    EXPECT_FALSE(fs::exists(temp.file("FTPTemp/alpha")));
    EXPECT_FALSE(session().settings().keyExists(std::string(WebStore::kWebsKey) + "\\alpha"));
}

TEST_F(WebManager, DataDirectoryMovesOnlyWhereWwwstatsCanBeMade)
{
    makeWeb("alpha", logs + "/old.log\r\n");
    const std::string before = session().app.dataDirectory;
    const std::string blocked = temp.write("not-a-folder", "x");
    fs::create_directories(temp.file("elsewhere/wwwstats/other"));
    temp.write("elsewhere/wwwstats/other/other.dat", "other\r\n0\r\n0\r\n");
    std::string choice = blocked;
    manager().runDirectoryDialog = [&](DataFolderDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Select Log Import Directory");
        EXPECT_EQ(dialog.directory().toStdString(), session().app.dataDirectory);
        dialog.chooseFolder = [&](const QString&) { return QString::fromStdString(choice); };
        dialog.pickFolder();
        return int(QDialog::Accepted);
    };
    manager().setDataDirectory();
    EXPECT_EQ(texts(), std::vector<std::string>{"Unable to create wwwstats directory under " + blocked +
                                                "/\nImport Data Directory not changed."});
    EXPECT_EQ(session().app.dataDirectory, before);
    EXPECT_EQ(webNames(), QStringList{"alpha"});

    choice = temp.file("elsewhere");
    manager().setDataDirectory();
    EXPECT_EQ(session().app.dataDirectory, temp.file("elsewhere") + "/");
    EXPECT_EQ(session().settings().readString(WebStore::kWebsKey, "statsdatadir"), temp.file("elsewhere") + "/");
    EXPECT_EQ(webNames(), QStringList{"other"});
}

TEST_F(WebManager, AboutAndHelpTopics)
{
    manager().about();
    EXPECT_EQ(texts(), std::vector<std::string>{"Larkspan Web Manager 1.0"});
    manager().findChild<QAction*>("tbHelp")->trigger();
    WebPropertiesEditor editor(session(), manager().webs());
    editor.findChild<QPushButton*>("HelpBtn")->click();
    DataFolderDialog dialog("/x/", session().platform().help);
    dialog.findChild<QPushButton*>("HelpBtn")->click();
    EXPECT_EQ(help.topics, (std::vector<int>{3001, 1492, 4141}));
}
