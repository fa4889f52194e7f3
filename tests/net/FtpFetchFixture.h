#pragma once

#include "CurlFtpClient.h"
#include "fakes/FakePlatform.h"
#include "fakes/LocalFtpServer.h"
#include "fakes/TempFolder.h"
#include "import/FtpFetch.h"
#include "import/ImportedFiles.h"
#include "webs/FtpSettings.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace larkspan::testing {

// Everything the import window would show, in order.
class RecordingImportView : public ImportView {
  public:
    void refresh(const ImportStatus& status) override
    {
        statuses.push_back(status.fileStatus);
        records.push_back(status.recordStatus);
        if (onRefresh) onRefresh(status);
    }
    void showPanel(const std::string& text, int) override { panels.push_back(text); }
    void hidePanel() override { panels.push_back(""); }

    bool sawStatus(const std::string& text) const { return contains(statuses, text); }
    bool sawPanel(const std::string& text) const { return contains(panels, text); }

    std::vector<std::string> statuses, records, panels;
    std::function<void(const ImportStatus&)> onRefresh;

  private:
    static bool contains(const std::vector<std::string>& list, const std::string& text)
    {
        for (const auto& item : list)
            if (item.find(text) != std::string::npos) return true;
        return false;
    }
};

// A server root with a "logs" folder, a program folder and a platform with
// the real libcurl client.
class FtpFetchFixture : public ::testing::Test {
  protected:
    FtpFetchFixture()
        : client(clientOptions()), platform{fake.messages, fake.pump,  fake.progress, fake.cancel,
                                            fake.clock,    fake.shell, fake.mail,     fake.charts,
                                            client,        fake.dns,   fake.help}
    {
        std::filesystem::create_directories(root.file("logs"));
    }

    static net::CurlFtpOptions clientOptions()
    {
        net::CurlFtpOptions options;
        options.connectTimeout = std::chrono::seconds(5);
        options.stallTimeout = std::chrono::seconds(5);
        return options;
    }

    static FtpSettings settingsFor(const LocalFtpServer& server) { return server.webSettings(); }

    FtpFetchResult fetch(const FtpSettings& settings, const ImportedFiles& imported = {})
    {
        FtpFetch fetcher(platform, view, "Importing site", std::chrono::milliseconds(0));
        return fetcher.fetch(settings, imported, downloads());
    }

    std::string downloads() const { return home.file("FTPTemp/site"); }

    std::vector<std::string> downloadedNames() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(downloads(), ec))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder root;
    TempFolder home;
    FakePlatform fake;
    net::CurlFtpClient client;
    Platform platform;
    RecordingImportView view;
};

} // namespace larkspan::testing
