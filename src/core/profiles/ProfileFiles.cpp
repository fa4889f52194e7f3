#include "profiles/ProfileFiles.h"

#include "profiles/ProfileKeys.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"

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

std::string pathIgnoringCase(const std::string& folder, const std::string& name)
{
    for (const FolderEntry& entry : listFolder(folder)) {
        if (entry.name == name) return entry.path;
    }
    for (const FolderEntry& entry : listFolder(folder)) {
        if (text::iequals(entry.name, name)) return entry.path;
    }
    return joinPath(folder, name);
}

ProfileFiles ProfileFiles::of(const ProgramFolder& folder, const std::string& name)
{
    checkProfileName(folder, name);
    const std::string profiles = folder.myProfiles();
    ProfileFiles files;
    files.settings = pathIgnoringCase(profiles, name + ".rpf");
    files.ip = pathIgnoringCase(profiles, name + ".ip");
    files.subd = pathIgnoringCase(profiles, name + ".subd");
    files.adds = pathIgnoringCase(profiles, name + ".adds");
    files.affs = pathIgnoringCase(profiles, name + ".affs");
    files.refd = pathIgnoringCase(profiles, name + ".refd");
    files.demographics = pathIgnoringCase(profiles, name + ".dmgrpt");
    files.reportFolder = pathIgnoringCase(folder.reports(), name);
    return files;
}

ProfileFiles ProfileFiles::base(const ProgramFolder& folder)
{
    const std::string profiles = folder.myProfiles();
    ProfileFiles files;
    files.settings = pathIgnoringCase(profiles, "base.rpf.def");
    files.ip = pathIgnoringCase(profiles, "base.ip.def");
    files.subd = pathIgnoringCase(profiles, "base.subd.def");
    files.adds = pathIgnoringCase(profiles, "base.adds.def");
    files.affs = pathIgnoringCase(profiles, "base.affs.def");
    files.refd = pathIgnoringCase(profiles, "base.refd.def");
    return files;
}

}  // namespace larkspan::profiles
