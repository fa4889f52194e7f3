#include "webs/WebStore.h"

#include "common/FolderListing.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

WebStore::WebStore(SettingsStore& settings, std::string programFolder)
    : settings_(settings), programFolder_(std::move(programFolder))
{
}

std::string WebStore::dataDirectory() const
{
    const auto stored = settings_.readString(kWebsKey, "statsdatadir");
    return withTrailingSeparator(stored && !stored->empty() ? *stored : programFolder_);
}

void WebStore::setDataDirectory(const std::string& folder)
{
    settings_.writeString(kWebsKey, "statsdatadir", withTrailingSeparator(folder));
}

std::string WebStore::wwwstats() const { return withTrailingSeparator(dataDirectory() + "wwwstats"); }

bool WebStore::createDataFolders(const std::string& dataDirectory)
{
    std::string folder = dataDirectory;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    safefile::makePrivateFolderTree(folder);
    const std::string www = withTrailingSeparator(folder) + "wwwstats";
    std::error_code ec;
    return fs::is_directory(www, ec) || safefile::makePrivateFolder(www);
}

std::string WebStore::folderName(const std::string& name) const
{
    std::error_code ec;
    const std::string base = wwwstats();
    if (!name.empty() && fs::is_directory(base + name, ec)) return name;
    for (const auto& entry : listFolder(base))
        if (entry.directory && text::iequals(entry.name, name)) return entry.name;
    return name;
}

std::string WebStore::webFolder(const std::string& name) const
{
    return withTrailingSeparator(wwwstats() + folderName(name));
}

namespace {

// The file <folder><stem><extension>, matched without regard to case when
// the exact spelling is missing.
std::string fileIn(const std::string& folder, const std::string& stem, const std::string& extension)
{
    const std::string exact = folder + stem + extension;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    for (const auto& entry : listFolder(folder))
        if (!entry.directory && text::iequals(entry.name, stem + extension)) return entry.path;
    return exact;
}

}  // namespace

std::string WebStore::settingsFile(const std::string& name) const
{
    return fileIn(webFolder(name), folderName(name), ".dat");
}

std::string WebStore::fileListFile(const std::string& name) const
{
    return fileIn(webFolder(name), folderName(name), ".wfl");
}

std::string WebStore::importedFilesFile(const std::string& name) const
{
    return fileIn(webFolder(name), folderName(name), ".lkfl");
}

bool WebStore::exists(const std::string& name) const
{
    if (name.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(settingsFile(name), ec);
}

std::vector<std::string> WebStore::folderNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : listFolder(wwwstats()))
        if (entry.directory) names.push_back(entry.name);
    return names;
}

std::optional<WebSettings> WebStore::readSettings(const std::string& name) const
{
    if (!exists(name)) return std::nullopt;
    std::string content;
    if (!readWholeFile(settingsFile(name), content)) return std::nullopt;
    return readWebSettingsLenient(text::splitLines(content));
}

std::vector<std::string> WebStore::readFileList(const std::string& name) const
{
    return loadList(fileListFile(name));
}

}  // namespace larkspan
