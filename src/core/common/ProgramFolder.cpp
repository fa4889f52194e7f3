#include "common/ProgramFolder.h"

#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/SafeFile.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

ProgramFolder::ProgramFolder(std::string home, std::string shippedData)
    : home_(std::move(home)), shipped_(std::move(shippedData))
{
    while (home_.size() > 1 && (home_.back() == '/' || home_.back() == '\\')) home_.pop_back();
}

std::string ProgramFolder::resolveHome(const std::string& homeOption)
{
    if (!homeOption.empty()) return fs::absolute(homeOption).lexically_normal().string();
    if (const char* env = std::getenv("LARKSPAN_HOME"); env && *env) return fs::absolute(env).lexically_normal().string();
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return (fs::path(xdg) / "larkspan").string();
    if (const char* user = std::getenv("HOME"); user && *user)
        return (fs::path(user) / ".local" / "share" / "larkspan").string();
    return fs::absolute("larkspan-home").string();
}

std::string ProgramFolder::shippedDataBeside(const std::string& executablePath)
{
    std::error_code ec;
    fs::path exe = fs::canonical(executablePath, ec);
    if (ec) exe = fs::absolute(executablePath);
    return (exe.parent_path() / ".." / "share" / "larkspan").lexically_normal().string();
}

std::string ProgramFolder::homeWithSeparator() const { return withTrailingSeparator(home_); }
std::string ProgramFolder::path(const std::string& relative) const { return joinPath(home_, relative); }
std::string ProgramFolder::settingsFile() const { return path("settings.conf"); }
std::string ProgramFolder::myProfiles() const { return path("My Profiles"); }
std::string ProgramFolder::reports() const { return path("Reports"); }
std::string ProgramFolder::syss() const { return path("syss"); }
std::string ProgramFolder::temporary() const { return path("~tmp"); }
std::string ProgramFolder::ftpTemporary() const { return path("FTPTemp"); }
std::string ProgramFolder::help() const { return path("help"); }

int ProgramFolder::install() const
{
    // Private by default: the folder holds settings with passwords, reports
    // and demographic data. Folders that exist keep the mode they have.
    if (!safefile::makePrivateFolderTree(home_)) throw Error("Unable to create the program folder " + home_);
    for (const char* folder : {"My Profiles", "Reports", "syss", "~tmp", "FTPTemp"})
        safefile::makePrivateFolder(path(folder));
    if (shipped_.empty() || !fs::is_directory(shipped_)) return 0;
    int copied = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(shipped_, ec), end; !ec && it != end; it.increment(ec)) {
        // The walk names every entry below shipped_ as written, so the
        // relative part needs no look-up of links.
        const fs::path target = fs::path(home_) / it->path().lexically_relative(shipped_);
        std::error_code step;
        if (it->is_directory(step)) {
            safefile::makePrivateFolder(target.string());
        } else if (!safefile::entryExists(target.string())) {
            // A link of that name, even a dangling one, counts as there.
            safefile::makePrivateFolderTree(target.parent_path().string());
            if (fs::copy_file(it->path(), target, step)) ++copied;
        }
    }
    return copied;
}

}  // namespace larkspan
