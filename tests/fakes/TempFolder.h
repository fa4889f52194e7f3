#pragma once

#include <string>

namespace larkspan::testing {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() joined with a relative name.
    std::string file(const std::string& relative) const;
    // Writes a file (creating folders) and returns its path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

private:
    std::string path_;
};

// The permission bits of path itself (a link is not followed); 0 when
// nothing is there.
unsigned modeOf(const std::string& path);

}  // namespace larkspan::testing
