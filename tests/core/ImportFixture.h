#pragma once

#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "settings/SettingsStore.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace larkspan::testing {

namespace fs = std::filesystem;

// Counts the records (by requested path, the seventh field of NCSA
// records) of every day file under a web folder.
inline std::map<std::string, int> countRecords(const std::string& webFolder)
{
    std::map<std::string, int> counts;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(webFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("LKLT", 0) != 0 || it->path().extension() != ".log") continue;
        std::ifstream in(it->path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::size_t at = 0;
            for (int field = 0; field < 6 && at != std::string::npos; ++field)
                at = line.find(' ', at + 1);
            if (at == std::string::npos) continue;
            const std::size_t end = line.find(' ', at + 1);
            ++counts[line.substr(at + 1, end - at - 1)];
        }
    }
    return counts;
}

class RecordingTracker : public SessionTrackerBuilder {
  public:
    void openCache(const std::string&, const std::string& web) override { calls.push_back("open " + web); }
    bool buildDay(const std::string& day, const TrackerProgress&) override
    {
        calls.push_back(fs::path(day).filename().string());
        return true;
    }
    void closeCache() override { calls.push_back("close"); }
    std::vector<std::string> calls;
};

class RecordingView : public ImportView {
  public:
    void refresh(const ImportStatus& status) override
    {
        captions.push_back(status.caption);
        if (status.filePercent >= 0) filePercents.push_back(status.filePercent);
    }
    void showPanel(const std::string& text, int percent) override
    {
        panels.push_back(text + "@" + std::to_string(percent));
    }
    void hidePanel() override {}
    std::vector<std::string> captions;
    std::vector<std::string> panels;
    std::vector<int> filePercents;
};

inline std::string ncsa(const std::string& day, const std::string& path = "/")
{
    return "1.2.3.4 - - [" + day + "/Oct/2000:13:55:36 -0700] \"GET " + path + " HTTP/1.0\" 200 5\r\n";
}

// A web "w" in a temporary data directory, imported in-process.
class Importing : public ::testing::Test {
  protected:
    Importing() : store(temp.file("settings.conf")), webs(store, temp.path())
    {
        fs::create_directories(temp.file("wwwstats/w"));
        options.temporaryFolder = temp.file("~tmp");
        options.pumpInterval = std::chrono::milliseconds(0);
    }
    void makeWeb(const std::string& fileList, bool newOnly = false, const std::string& type = "0")
    {
        temp.write("wwwstats/w/w.dat", "w\r\n" + type + "\r\n0\r\nsrv\r\n" + (newOnly ? "TRUE" : "FALSE") + "\r\n");
        temp.write("wwwstats/w/w.wfl", fileList + "\r\n");
    }
    ImportOutcome import(const std::string& web = "w")
    {
        ImportRun run(platform.platform(), webs, view, tracker, options);
        const ImportOutcome outcome = importWeb(run, platform.platform(), web);
        days = run.runDays();
        return outcome;
    }
    std::vector<std::string> messages() const { return platform.messages.texts(); }
    // How often each requested path occurs among the records of all the
    // web's day files.
    std::map<std::string, int> recordCounts() const { return countRecords(temp.file("wwwstats/w")); }

    TempFolder temp;
    FakePlatform platform;
    SettingsStore store;
    WebStore webs;
    RecordingView view;
    RecordingTracker tracker;
    ImportOptions options;
    std::vector<std::string> days;
};

} // namespace larkspan::testing
