#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {

struct FolderEntry {
    std::string name;
    std::string path;
    bool directory = false;
    bool readOnly = false;
    std::uint64_t size = 0;
};

// The entries directly in a folder, sorted by name without regard to case.
// A missing or unreadable folder lists nothing.
std::vector<FolderEntry> listFolder(const std::string& folder);

// Whether a file name matches a mask with "*" and "?" (case-insensitive).
bool matchesMask(const std::string& name, const std::string& mask);

// Joins a folder and a name with the native separator.
std::string joinPath(const std::string& folder, const std::string& name);
// Appends the native separator when the path lacks one.
std::string withTrailingSeparator(const std::string& path);

}  // namespace larkspan
