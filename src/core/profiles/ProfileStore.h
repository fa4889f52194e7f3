#pragma once

#include "common/KeyValueTable.h"

#include <string>
#include <vector>

namespace larkspan {
class ProgramFolder;
struct Platform;
}

namespace larkspan::profiles {

// The five list files' texts, exactly as the editor's text boxes hold them.
struct ProfileListTexts {
    std::string ip, subd, adds, affs, refd;
};

// The names of the profiles in "My Profiles" (every "*.rpf" file, folders
// excluded), sorted without regard to case.
std::vector<std::string> listProfiles(const ProgramFolder& folder);

// A profile's list texts; a missing or unreadable file is an empty text.
ProfileListTexts loadListTexts(const ProgramFolder& folder, const std::string& name);
ProfileListTexts loadBaseListTexts(const ProgramFolder& folder);

// The base profile's table, the start of a new profile. Throws the
// cell-table reader's Error when "base.rpf.def" is missing or corrupt.
KeyValueTable loadBaseTable(const ProgramFolder& folder);

// What the editor knows when it saves: the webs it offers (sub-folders of
// <data directory>wwwstats with their settings file) and today's date.
struct SaveContext {
    std::string dataDirectory;
    int today = 0;
    bool runReport = false;  // started by "Run Report": no success message
};

// The editor's save of a profile (name) or, with base true, its
// Set Defaults. Checks, in order, the name, `url`, the web (`path` must name
// a web that exists), the hit types and the date order, showing the
// editor's message for the first failure; brings every key of the key
// table into the table (start and end recomputed for ranges 0 to 6); writes
// the table and the five lists; and shows the editor's result message.
// Returns true on success.
bool writeProfile(Platform& platform, const ProgramFolder& folder, const std::string& name, KeyValueTable& table,
                  const ProfileListTexts& lists, const SaveContext& context, bool base = false);

// Deletes a profile's files and its report folder's files, retrying each
// report file up to 5 times; names the files that stay in one warning.
// The base profile is never touched.
void deleteProfile(Platform& platform, const ProgramFolder& folder, const std::string& name);

// True when a web of that name exists (its folder holds <web>.dat).
bool webExists(const std::string& dataDirectory, const std::string& web);

// The values a key of the key table takes in a table that lacks it: the
// editor's initial control states.
std::string initialValue(const std::string& key, int today);

}  // namespace larkspan::profiles
