#include "ProfileFiles.h"

#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "platform/Messages.h"

#include <filesystem>

namespace larkspan::profilefiles {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::string& myProfilesFolder)
{
    std::vector<std::string> result;
    for (const FolderEntry& entry : listFolder(myProfilesFolder)) {
        if (entry.directory || !text::iendsWith(entry.name, ".rpf")) continue;
        result.push_back(entry.name.substr(0, entry.name.size() - 4));
    }
    return result;
}

namespace {

bool deleteFile(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!error && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (fs::remove(path, error) || !fs::exists(path, error)) return true;
    }
    return false;
}

}  // namespace

void remove(const ProgramFolder& folder, const std::string& name, Messages& messages)
{
    if (name.empty()) return;
    for (const char* extension : {".rpf", ".ip", ".adds", ".affs", ".subd", ".refd", ".dmgrpt"}) {
        std::error_code error;
        fs::remove(joinPath(folder.myProfiles(), name + extension), error);
    }
    const std::string reports = joinPath(folder.reports(), name);
    std::vector<FolderEntry> entries = listFolder(reports);
    std::vector<std::string> remaining;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->directory) continue;
        if (!deleteFile(it->path)) remaining.insert(remaining.begin(), it->path);
    }
    if (!remaining.empty()) {
        std::string message = "Some report files were not able to be deleted\nThe following files were not removed:\n";
        for (const std::string& path : remaining) message += path + "\n";
        messages.show(MessageKind::Warning, message);
    }
    std::error_code error;
    fs::remove(reports, error);  // only an empty folder goes
}

}  // namespace larkspan::profilefiles
