#include "webs/WebSettings.h"

#include "common/Error.h"
#include "common/KeyValueTable.h"
#include "common/Text.h"
#include "common/TextFile.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

std::string formatWebSettings(const WebSettings& settings)
{
    return joinCrLf({settings.name, std::to_string(static_cast<int>(settings.importType)),
                     std::to_string(settings.reserved), settings.serverUrl, booleanText(settings.newFilesOnly)});
}

namespace {

ImportType importTypeOf(long long value) { return value == 1 ? ImportType::Ftp : ImportType::Local; }

long long integerLine(const std::vector<std::string>& lines, std::size_t index, const std::string& path)
{
    long long value = 0;
    if (!text::parseInteger(text::trim(lines[index]), value))
        throw Error("'" + lines[index] + "' is not a valid integer value (line " + std::to_string(index + 1) + " of " +
                    path + ").");
    return value;
}

}  // namespace

WebSettings readWebSettingsForImport(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw Error("The web " + fs::path(path).stem().string() + " is invalid and cannot be imported.");
    std::string content;
    if (!readWholeFile(path, content)) throw Error("Cannot open file " + path + ".");
    const auto lines = text::splitLines(content);
    if (lines.size() < 3)
        throw Error("The settings file " + path + " is damaged: it has " + std::to_string(lines.size()) +
                    " lines, at least 3 are needed.");
    WebSettings settings;
    settings.name = lines[0];
    settings.importType = importTypeOf(integerLine(lines, 1, path));
    settings.reserved = integerLine(lines, 2, path);
    if (lines.size() >= 4) settings.serverUrl = lines[3];
    if (lines.size() >= 5) settings.newFilesOnly = readBooleanText(text::trim(lines[4]));
    return settings;
}

WebSettings readWebSettingsLenient(const std::vector<std::string>& lines)
{
    WebSettings settings;
    if (!lines.empty()) settings.name = lines[0];
    long long type = 0;
    if (lines.size() >= 2 && text::parseInteger(text::trim(lines[1]), type)) settings.importType = importTypeOf(type);
    if (lines.size() >= 4) settings.serverUrl = lines[3];
    if (lines.size() >= 5) settings.newFilesOnly = readBooleanText(text::trim(lines[4]));
    return settings;
}

}  // namespace larkspan
