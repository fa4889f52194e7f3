#include "import/SourceFiles.h"

#include "common/FolderListing.h"
#include "common/Text.h"
#include "import/ImportedFiles.h"
#include "webs/WebFileList.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

std::vector<SourceFile> listSourceFiles(const std::string& sourceText, bool newFilesOnly, const ImportedFiles& imported)
{
    std::vector<SourceFile> files;
    if (hasWildcard(sourceText)) {
        const std::string mask = text::trim(sourceText);
        const std::string folder = folderPart(mask);
        const std::string pattern = fileNamePart(mask);
        std::error_code ec;
        for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            std::error_code statError;
            // Regular files only: a pipe or device would never end.
            if (name.empty() || name.front() == '.' || !it->is_regular_file(statError)) continue;
            if (!matchesMask(name, pattern)) continue;
            SourceFile file{folder + name, it->file_size(statError)};
            if (statError) continue;
            if (newFilesOnly && imported.isImported(file.path, file.size)) continue;
            files.push_back(std::move(file));
        }
        std::sort(files.begin(), files.end(),
                  [](const SourceFile& a, const SourceFile& b) { return text::icompare(a.path, b.path) < 0; });
        return files;
    }
    for (const auto& path : parseCommaList(sourceText)) {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        files.push_back({path, ec ? 0 : size});
    }
    return files;
}

}  // namespace larkspan
