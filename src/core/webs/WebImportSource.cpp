#include "webs/WebImportSource.h"

#include "common/Text.h"
#include "common/TextFile.h"
#include "webs/WebFileList.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

// A file beside the settings file with another extension, matched without
// regard to case when the exact spelling is missing.
std::string sibling(const fs::path& settingsFile, const std::string& extension)
{
    fs::path exact = settingsFile;
    exact.replace_extension(extension);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact.string();
    const std::string wanted = exact.filename().string();
    for (fs::directory_iterator it(settingsFile.parent_path(), ec), end; !ec && it != end; it.increment(ec))
        if (text::iequals(it->path().filename().string(), wanted)) return it->path().string();
    return exact.string();
}

}  // namespace

WebImportSource loadWebForImport(const std::string& settingsFile)
{
    WebImportSource source;
    source.settings = readWebSettingsForImport(settingsFile);
    source.imported = ImportedFiles(sibling(settingsFile, ".lkfl"));
    source.imported.load();
    const std::vector<std::string> lines = loadList(sibling(settingsFile, ".wfl"));
    if (source.settings.importType == ImportType::Ftp) source.keptLines = lines;
    else source.sourceText = importSourceText(lines);
    return source;
}

}  // namespace larkspan
