#include "common/FolderListing.h"

#include "common/Text.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

std::vector<FolderEntry> listFolder(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        FolderEntry entry;
        entry.name = it->path().filename().string();
        entry.path = it->path().string();
        std::error_code statError;
        entry.directory = it->is_directory(statError);
        if (!entry.directory) entry.size = it->file_size(statError);
        const auto perms = it->status(statError).permissions();
        entry.readOnly = (perms & fs::perms::owner_write) == fs::perms::none;
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return text::icompare(a.name, b.name) < 0; });
    return entries;
}

bool matchesMask(const std::string& name, const std::string& mask)
{
    // Iterative wildcard match with single-star backtracking.
    std::size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || text::lower(mask[m]) == text::lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return withTrailingSeparator(folder) + name;
}

std::string withTrailingSeparator(const std::string& path)
{
    if (path.empty()) return path;
    const char separator = static_cast<char>(fs::path::preferred_separator);
    if (path.back() == separator || path.back() == '/') return path;
    return path + separator;
}

}  // namespace larkspan
