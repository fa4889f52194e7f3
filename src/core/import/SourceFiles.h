#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {

class ImportedFiles;

struct SourceFile {
    std::string path;
    std::uint64_t size = 0;  // when listed; 0 for a file that is not there
};

// The files an import source text names. A text with "*" or "?" is a mask:
// the regular, non-hidden files of its folder that match it, by name
// (case-insensitive order), leaving out those the imported-files list holds
// at their present size when newFilesOnly is set; a folder that cannot be
// read lists nothing. Any other text is a comma list of paths (quoted when
// they hold blanks), each taken as it is.
std::vector<SourceFile> listSourceFiles(const std::string& sourceText, bool newFilesOnly, const ImportedFiles& imported);

}  // namespace larkspan
