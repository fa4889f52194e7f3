#pragma once

#include <string>

namespace larkspan {
class ProgramFolder;
class SettingsStore;
}

namespace larkspan::analysis {

// Where a web's imported data lies, as far as profiles and the analysis
// pass need it, for callers that hold the data directory as text.

// The data directory as the web store reads it (the `statsdatadir`
// setting, else the program folder); always ends with a separator.
std::string dataDirectory(SettingsStore& settings, const ProgramFolder& folder);

// <data directory>wwwstats/<web>/, matching an existing folder whose name
// differs only in letter case. Throws Error for a web name holding a path
// separator, ".." or a control character.
std::string webFolder(const std::string& dataDirectory, const std::string& web);

// The settings file <web folder><web>.dat.
std::string webSettingsFile(const std::string& dataDirectory, const std::string& web);

}  // namespace larkspan::analysis
