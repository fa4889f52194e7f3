#pragma once

#include <string>

namespace larkspan {
class ProgramFolder;
}

namespace larkspan::profiles {

// Refuses a profile name that could reach outside "My Profiles" or
// "Reports": one holding "/", "\", ".." or a control character, or made of
// dots only. Throws Error. Blank names are left to the editor's own "You
// must assign a name" check.
void checkProfileName(const std::string& name);
// The same, and refuses the name of a file or folder the program ships in
// "Reports" or of any file there (help pages, images), whose place the
// profile's report folder would take.
void checkProfileName(const ProgramFolder& folder, const std::string& name);

// The files of one profile, or of the base profile.
struct ProfileFiles {
    std::string settings;  // <name>.rpf / base.rpf.def
    std::string ip;
    std::string subd;
    std::string adds;
    std::string affs;
    std::string refd;
    std::string demographics;  // <name>.dmgrpt (none for the base profile)
    std::string reportFolder;  // Reports/<name> (none for the base profile)

    // Checks the name first (checkProfileName with the folder). Each file that exists under
    // another letter case is named as it is on disk, since profile file
    // names compare without regard to case.
    static ProfileFiles of(const ProgramFolder& folder, const std::string& name);
    static ProfileFiles base(const ProgramFolder& folder);
};

// The path of name in folder: an existing entry whose name differs only in
// letter case if there is one, else folder joined with name.
std::string pathIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace larkspan::profiles
