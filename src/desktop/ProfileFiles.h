#pragma once

#include <string>
#include <vector>

namespace larkspan {

class Messages;
class ProgramFolder;

// The report profiles as the main window sees them: names of the ".rpf"
// files of "My Profiles" in folder-listing order, and deletion of a profile
// with its list files and its report folder.
namespace profilefiles {

std::vector<std::string> names(const std::string& myProfilesFolder);

// Deletes <name>.rpf, .ip, .adds, .affs, .subd, .refd and .dmgrpt (missing
// ones are passed over), then every file directly in Reports/<name>
// (read-only ones too, five tries each); files that stay are named in one
// warning. The folder is removed when it is empty.
void remove(const ProgramFolder& folder, const std::string& name, Messages& messages);

}  // namespace profilefiles
}  // namespace larkspan
