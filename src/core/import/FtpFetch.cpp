#include "import/FtpFetch.h"

#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "import/ImportedFiles.h"
#include "platform/Platform.h"
#include "webs/FtpSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

const char* const kRunningFtp = "Preparing to import log files...Running FTP\n\n";

// A name as it may be shown: control characters become "?".
std::string shown(std::string name)
{
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return name;
}

// A download in progress is written under a name no accepted remote name
// can have (those never start with "-"), so a run killed in the middle
// leaves a fragment that is never taken for a finished download.
const char* const kPartialPrefix = "-partial-";

// Writes a download under its partial name; keep() closes it and gives it
// its own name. Anything else removes it.
class DownloadFile {
  public:
    DownloadFile(const std::string& folder, const std::string& name)
        : path_(joinPath(folder, name)), partial_(joinPath(folder, kPartialPrefix + name))
    {
        ::unlink(partial_.c_str()); // never follows a link
        fd_ = safefile::createNew(partial_);
        if (fd_ < 0) throw Error("Unable to create file " + partial_);
    }
    ~DownloadFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(partial_.c_str());
    }
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    bool write(std::string_view bytes) { return safefile::writeAll(fd_, bytes); }
    // A file or link already at the name is replaced, never written through.
    void keep()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 || std::rename(partial_.c_str(), path_.c_str()) != 0)
            throw Error("Unable to create file " + path_);
        kept_ = true;
    }

  private:
    std::string path_;
    std::string partial_;
    int fd_ = -1;
    bool kept_ = false;
};

// Logs off when the fetch ends, however it ends.
class Session {
  public:
    Session(FtpClient& client, FtpEvents& events) : client_(client) { client_.setEvents(&events); }
    ~Session()
    {
        client_.logoff();
        client_.setEvents(nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

  private:
    FtpClient& client_;
};

} // namespace

ServerAddress parseServerAddress(const std::string& text)
{
    ServerAddress address;
    const auto colon = text.rfind(':');
    address.host = text.substr(0, colon);
    if (colon == std::string::npos) return address;
    const std::string port = text.substr(colon + 1);
    int value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (!port.empty() && ec == std::errc() && end == port.data() + port.size() && value >= 1 && value <= 65535)
        address.port = value;
    return address;
}

std::string remoteNameProblem(const std::string& name)
{
    if (name.empty()) return "it is empty";
    if (name.find_first_of("/\\") != std::string::npos) return "it holds a folder separator";
    if (name.find("..") != std::string::npos) return "it holds \"..\"";
    if (name.front() == '-') return "it starts with \"-\"";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "it holds a control character";
    return {};
}

std::vector<SourceFile> FtpFetch::leftovers(const std::string& downloadFolder, const FtpSettings& settings,
                                            const ImportedFiles& imported)
{
    std::vector<SourceFile> files;
    for (const FolderEntry& entry : listFolder(downloadFolder)) {
        std::error_code ec;
        if (!fs::is_regular_file(fs::symlink_status(entry.path, ec))) continue;
        const bool fragment = entry.name.rfind(kPartialPrefix, 0) == 0;
        const bool done = settings.newFilesOnly && imported.isImported(entry.name, entry.size);
        if (fragment || done) {
            fs::remove(entry.path, ec);
        } else if (remoteNameProblem(entry.name).empty()) {
            files.push_back({entry.path, entry.size});
        }
    }
    return files;
}

FtpFetch::FtpFetch(Platform& platform, ImportView& view, std::string caption, std::chrono::milliseconds pumpInterval)
    : platform_(platform), view_(view), pump_(platform.pump, pumpInterval)
{
    status_.caption = std::move(caption);
}

FtpFetchResult FtpFetch::fetch(const FtpSettings& settings, const ImportedFiles& imported,
                               const std::string& downloadFolder)
{
    FtpFetchResult result;
    std::error_code ec;
    fs::create_directories(fs::path(downloadFolder).parent_path(), ec);
    if (!safefile::makePrivateFolder(downloadFolder))
        throw Error("The download folder " + downloadFolder + " could not be created.");

    std::string folder = settings.startDirectory;
    if (folder.empty() || folder.back() != '/') folder += '/';
    const ServerAddress address = parseServerAddress(settings.server);
    FtpLogon logon{address.host, address.port, settings.user, settings.password, settings.proxy, settings.explicitTls};

    result.files = leftovers(downloadFolder, settings, imported);
    FtpClient& client = platform_.ftp;
    const Session session(client, *this);
    try {
        client.logon(logon);
        const std::vector<Listed> chosen = choose(client.list(folder), settings, imported);
        if (platform_.cancel.requested()) return {std::move(result.files), true};
        // A file the server still has is fetched afresh rather than taken
        // from an earlier run.
        std::erase_if(result.files, [&](const SourceFile& file) {
            return std::any_of(chosen.begin(), chosen.end(),
                               [&](const Listed& entry) { return joinPath(downloadFolder, entry.name) == file.path; });
        });
        status_.filesTotal = static_cast<long long>(chosen.size());
        for (const Listed& entry : chosen) {
            const std::string localPath = joinPath(downloadFolder, entry.name);
            status_.currentFile = entry.name;
            if (platform_.cancel.requested()) return {std::move(result.files), true};
            downloadOne(folder + entry.name, downloadFolder, entry.name);
            if (settings.deleteAfterDownload) {
                try {
                    client.remove(folder + entry.name);
                } catch (const Error&) {
                    // the file stays on the server; the download is good
                }
            }
            result.files.push_back({localPath, entry.size});
            if (platform_.cancel.requested()) return {std::move(result.files), true};
        }
    } catch (const Cancelled&) {
        result.cancelled = true;
    } catch (const std::exception& e) {
        showFailure(e.what());
        throw;
    }
    const std::string caption = status_.caption;
    status_ = ImportStatus{};
    status_.caption = caption;
    view_.refresh(status_);
    return result;
}

// Step 4 of a fetch: the server list, with "Total Files: " after each entry.
std::vector<FtpFetch::Listed> FtpFetch::choose(const std::vector<FtpEntry>& entries, const FtpSettings& settings,
                                               const ImportedFiles& imported)
{
    std::vector<Listed> chosen;
    for (const FtpEntry& entry : entries) {
        const bool wanted = !entry.directory && matchesMask(entry.name, settings.fileMask) &&
                            !text::iequals(entry.name, "errors.log") && !text::iequals(entry.name, "error.log") &&
                            !(settings.newFilesOnly && imported.isImported(entry.name, entry.size));
        if (wanted) {
            if (const std::string problem = remoteNameProblem(entry.name); !problem.empty()) {
                platform_.messages.show(MessageKind::Warning, "The file \"" + shown(entry.name) +
                                                                  "\" on the FTP server will be skipped: " + problem +
                                                                  ", so it cannot be a local file name.");
            } else {
                chosen.push_back({entry.name, entry.size});
                ++filesLeft_;
            }
        }
        status_.fileStatus = "Total Files: " + std::to_string(filesLeft_);
        status_.recordStatus = "KB Transferred: 0";
        steps_ = filesLeft_ + 1;
        view_.refresh(status_);
    }
    return chosen;
}

void FtpFetch::downloadOne(const std::string& remotePath, const std::string& folder, const std::string& name)
{
    DownloadFile file(folder, name);
    platform_.ftp.download(remotePath, [&file](std::string_view bytes) { return file.write(bytes); });
    file.keep();
}

void FtpFetch::showFailure(const std::string& reason)
{
    view_.showPanel("FTP Operation Failed\n\n" + reason, 0);
}

void FtpFetch::showPanel(const std::string& text)
{
    panelText_ = text;
    const long long percent = steps_ > 0 ? std::min<long long>(100, stepsDone_ * 100 / steps_) : 0;
    view_.showPanel(kRunningFtp + text, static_cast<int>(percent));
}

void FtpFetch::status(const std::string& text)
{
    showPanel(text);
}

void FtpFetch::transferred(std::uint64_t bytes)
{
    const auto kilobytes = static_cast<long long>(std::llround(static_cast<double>(bytes) / 1024.0));
    status_.recordStatus = "KB Transferred: " + std::to_string(kilobytes);
    view_.refresh(status_);
}

void FtpFetch::transferEnded()
{
    if (!listingEnded_) {
        listingEnded_ = true;
        return;
    }
    --filesLeft_;
    ++stepsDone_;
    status_.filesDone = status_.filesTotal - filesLeft_;
    status_.fileStatus = "Total Files Left: " + std::to_string(filesLeft_);
    view_.refresh(status_);
    showPanel(panelText_);
}

bool FtpFetch::proceed()
{
    pump_.poll();
    return !platform_.cancel.requested();
}

} // namespace larkspan
