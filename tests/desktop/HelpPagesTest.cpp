#include "HelpViewer.h"
#include "fakes/FakePlatform.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace larkspan;

namespace {

const fs::path kHelpFolder = fs::path(LARKSPAN_SOURCE_DIR) / "data" / "help";

std::string contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every help topic a window of the desktop program asks for: the topic
// constants and the literal topics passed to the help.
std::set<int> topicsInTheSources()
{
    const std::regex topic(R"((kHelpTopic\s*=\s*|showHelp\(\s*|showTopic\(\s*)(\d+))");
    std::set<int> topics;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(LARKSPAN_SOURCE_DIR) / "src")) {
        const auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".h") continue;
        const std::string text = contentsOf(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), topic), end; it != end; ++it)
            topics.insert(std::stoi((*it)[2]));
    }
    return topics;
}

} // namespace

TEST(HelpPages, EveryTopicTheWindowsAskForHasItsOwnPage)
{
    const std::set<int> topics = topicsInTheSources();
    // The windows known today; a miss here means the scan itself broke.
    for (int known : {1, 200, 300, 400, 500, 1492, 3001, 4141})
        EXPECT_TRUE(topics.count(known)) << known;
    for (int topic : topics) {
        // Topic 1 is the contents page.
        const fs::path page = kHelpFolder / (topic == 1 ? "index.html" : "topic" + std::to_string(topic) + ".html");
        EXPECT_TRUE(fs::is_regular_file(page)) << "no help page for topic " << topic << ": " << page;
    }
}

TEST(HelpPages, EveryLinkBetweenThePagesLeadsToAPage)
{
    const std::regex link(R"re(href="([^"#:]+)")re");
    for (const auto& entry : fs::directory_iterator(kHelpFolder)) {
        const std::string text = contentsOf(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it)
            EXPECT_TRUE(fs::is_regular_file(kHelpFolder / (*it)[1].str()))
                << entry.path().filename() << " links to " << (*it)[1];
    }
}

namespace {

// Notes whether the help window was last told it is blocked by a modal window.
class BlockWatcher : public QObject {
  public:
    bool blocked = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched->objectName().startsWith("HelpViewer")) {
            if (event->type() == QEvent::WindowBlocked) blocked = true;
            if (event->type() == QEvent::WindowUnblocked) blocked = false;
        }
        return false;
    }
};

} // namespace

// Where no browser starts, the help window of the program's own must take
// input while a modal window (the profile editor, say) is open.
TEST(HelpPages, TheHelpWindowWorksWhileAModalWindowIsOpen)
{
    larkspan::testing::RecordingShell noBrowser;
    noBrowser.desktop = false;
    DesktopHelp help(kHelpFolder.string(), noBrowser);
    BlockWatcher watcher;
    qApp->installEventFilter(&watcher);
    for (int round = 0; round < 2; ++round) { // the second time the window exists already
        QDialog modal;
        bool shown = false;
        bool blocked = true;
        QTimer::singleShot(0, &modal, [&] {
            shown = help.showInViewer((kHelpFolder / "index.html").string());
            QApplication::processEvents();
            blocked = watcher.blocked;
            modal.reject();
        });
        modal.exec();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(blocked) << "round " << round;
    }
    qApp->removeEventFilter(&watcher);
}
