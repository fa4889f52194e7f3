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

void checkProfileName(const std::string& name)
{
    bool bad = name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
               name.find("..") != std::string::npos;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) bad = true;
    }
    if (bad) {
        throw Error("Invalid profile name.\nA profile name cannot contain \"/\", \"\\\", \"..\" or control "
                    "characters.");
    }
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
    checkProfileName(name);
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
