#pragma once

#include "DesktopSession.h"
#include "MainWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <QAction>
#include <QListWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace larkspan::testing {

class RecordingHelp : public Help {
  public:
    bool showTopic(int topic) override
    {
        topics.push_back(topic);
        return true;
    }
    std::vector<int> topics;
};

// A program folder in a temporary folder with the settings key written (so
// no first-start message), recording messages, shell and help, and a main
// window made on demand.
class DesktopFixture : public ::testing::Test {
  protected:
    DesktopFixture()
    {
        temp.write("My Profiles/base.rpf.def", "2,1\r\n");
        settingsFile = temp.file("settings.conf");
    }

    // Writes the application settings the next window reads.
    void writeSettings(bool confirm, const std::string& vs, const std::string& tb, bool autorun = false)
    {
        SettingsStore store(temp.file("settings.conf"));
        store.writeInteger(AppSettings::kKey, "cbConfirmB4Analyzing", confirm ? 1 : 0);
        store.writeInteger(AppSettings::kKey, "cbAutoRun", autorun ? 1 : 0);
        store.writeString(AppSettings::kKey, "vs", vs);
        store.writeString(AppSettings::kKey, "tb", tb);
    }

    void addProfile(const std::string& name) { temp.write("My Profiles/" + name + ".rpf", "2,1\r\n"); }

    DesktopSession& session()
    {
        if (!session_) {
            ProgramFolder folder(temp.path(), shippedData);
            if (!shippedData.empty()) folder.install();
            session_ = std::make_unique<DesktopSession>(folder, SessionServices{&messages, &shell, &help, nullptr, clock});
        }
        return *session_;
    }

    MainWindow& window(MainWindow::Hooks hooks = {})
    {
        if (!window_) window_ = std::make_unique<MainWindow>(session(), std::move(hooks));
        return *window_;
    }

    QListWidget& list() { return *window().profileList(); }
    void select(int row) { list().setCurrentRow(row); }
    void clearSelection() { list().clearSelection(); }

    // A named action of the main window (menus, toolbar, pop-up, tray).
    QAction* action(const char* name)
    {
        auto* found = window().findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::vector<std::string> texts() const { return messages.texts(); }
    std::string lastText() const { return messages.recorded.empty() ? "" : messages.recorded.back().text; }

    TempFolder temp;
    std::string settingsFile;
    // Set before the session is made to install the shipped files.
    std::string shippedData;
    // Set before the session is made to stand on a fixed time.
    Clock* clock = nullptr;
    FakeMessages messages;
    RecordingShell shell;
    RecordingHelp help;

  private:
    std::unique_ptr<DesktopSession> session_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace larkspan::testing
