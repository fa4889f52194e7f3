#include "webs/WebFileList.h"

#include "common/Error.h"
#include "common/Text.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

bool hasControl(const std::string& s)
{
    for (unsigned char c : s)
        if (c < ' ') return true;
    return false;
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    out += text::replaceAll(s, "\"", "\"\"");
    out += '"';
    return out;
}

std::string joinQuoted(const std::vector<std::string>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += ',';
        const std::string& line = lines[i];
        const bool quote = line.find_first_of(" ,\"") != std::string::npos || hasControl(line);
        out += quote ? quoted(line) : line;
    }
    return out;
}

}  // namespace

bool hasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

std::string folderPart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNamePart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string importSourceText(const std::vector<std::string>& lines)
{
    if (lines.empty()) return {};
    if (lines.size() == 1) {
        const std::string& line = lines.front();
        if (hasWildcard(line)) return line;
        // A comma or quote would otherwise split the one path in two when
        // the import reads the text back as a comma list.
        if (line.find_first_of(",\"") != std::string::npos) return quoted(line);
        return line.find(' ') != std::string::npos ? "\"" + line + "\"" : line;
    }
    return joinQuoted(lines);
}

std::string pathFieldText(const std::vector<std::string>& lines) { return joinQuoted(lines); }

std::vector<std::string> parseCommaList(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i <= n) {
        while (i < n && text[i] == ' ') ++i;
        std::string item;
        if (i < n && text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            // Anything between the closing quote and the comma belongs to the item.
            while (i < n && text[i] != ',') item += text[i++];
        } else {
            while (i < n && text[i] != ',') item += text[i++];
        }
        item = text::trim(item);
        if (!item.empty()) items.push_back(item);
        ++i;  // past the comma (or the end)
    }
    return items;
}

std::vector<std::string> splitPathField(const std::string& text)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string entry = text::trim(std::string_view(text).substr(start, comma - start));
        if (!entry.empty() && entry.front() == '"') entry = text::trim(std::string_view(entry).substr(1));
        if (!entry.empty() && entry.back() == '"') {
            entry.pop_back();
            entry = text::trim(entry);
        }
        if (!entry.empty()) entries.push_back(entry);
        start = comma + 1;
    }
    return entries;
}

std::vector<std::string> validateFileList(const std::vector<std::string>& entries)
{
    for (const auto& entry : entries) {
        const std::string folder = folderPart(entry);
        if (hasWildcard(folder)) throw Error("Wildcard characters ('*' and '?') are only allowed in file names.");
        if (hasWildcard(fileNamePart(entry)) && entries.size() > 1)
            throw Error("Wildcard file masks are not allowed when multiple files are selected.");
        std::error_code ec;
        if (folder.empty() || !fs::is_directory(folder, ec)) throw Error("File path " + folder + " is invalid.");
    }
    if (entries.empty()) throw Error("Filepath contains no valid file names or directories.");
    return entries;
}

}  // namespace larkspan
