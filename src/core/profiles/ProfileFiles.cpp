#include "profiles/ProfileFiles.h"

#include "profiles/ProfileKeys.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"

#include <vector>

namespace larkspan::profiles {

const ProfileKey* findProfileKey(std::string_view name)
{
    for (const ProfileKey& key : kProfileKeys) {
        if (text::iequals(key.name, name)) return &key;
    }
    return nullptr;
}

namespace {

[[noreturn]] void refuseName()
{
    throw Error("Invalid profile name.\nA profile name cannot contain \"/\", \"\\\", \"..\" or control "
                "characters, be made of dots only or be the name of a file in the Reports folder.");
}

bool namedIn(const std::string& folder, const std::string& name, bool filesOnly)
{
    for (const FolderEntry& entry : listFolder(folder)) {
        if (filesOnly && entry.directory) continue;
        if (text::iequals(entry.name, name)) return true;
    }
    return false;
}

} // namespace

void checkProfileName(const std::string& name)
{
    bool bad = name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
               name.find("..") != std::string::npos;
    bad = bad || (!name.empty() && name.find_first_not_of('.') == std::string::npos);
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) bad = true;
    }
    if (bad) refuseName();
}

void checkProfileName(const ProgramFolder& folder, const std::string& name)
{
    checkProfileName(name);
    if (name.empty()) return;
    if (!folder.shippedData().empty() && namedIn(joinPath(folder.shippedData(), "Reports"), name, false)) refuseName();
    if (namedIn(folder.reports(), name, true)) refuseName();
}

namespace {

// The path of name among a folder's entries: the entry spelt exactly so,
// else one whose name differs only in letter case, else a new path.
std::string pathAmong(const std::vector<FolderEntry>& entries, const std::string& folder, const std::string& name)
{
    for (const FolderEntry& entry : entries) {
        if (entry.name == name) return entry.path;
    }
    for (const FolderEntry& entry : entries) {
        if (text::iequals(entry.name, name)) return entry.path;
    }
    return joinPath(folder, name);
}

// A profile's files in My Profiles, stem + ".rpf" + suffix and so on (the
// demographics file only when asked), found without regard to case in one
// listing of the folder.
ProfileFiles listedFiles(const std::string& profiles, const std::string& stem, const std::string& suffix,
                         bool withDemographics)
{
    const std::vector<FolderEntry> entries = listFolder(profiles);
    const auto path = [&](const char* extension) { return pathAmong(entries, profiles, stem + extension + suffix); };
    ProfileFiles files;
    files.settings = path(".rpf");
    files.ip = path(".ip");
    files.subd = path(".subd");
    files.adds = path(".adds");
    files.affs = path(".affs");
    files.refd = path(".refd");
    if (withDemographics) files.demographics = path(".dmgrpt");
    return files;
}

} // namespace

std::string pathIgnoringCase(const std::string& folder, const std::string& name)
{
    return pathAmong(listFolder(folder), folder, name);
}

ProfileFiles ProfileFiles::of(const ProgramFolder& folder, const std::string& name)
{
    checkProfileName(folder, name);
    ProfileFiles files = listedFiles(folder.myProfiles(), name, "", true);
    files.reportFolder = pathIgnoringCase(folder.reports(), name);
    return files;
}

ProfileFiles ProfileFiles::base(const ProgramFolder& folder)
{
    return listedFiles(folder.myProfiles(), "base", ".def", false);
}

}  // namespace larkspan::profiles
