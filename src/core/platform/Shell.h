#pragma once

#include <string>

namespace larkspan {

// The desktop's shell services. Each returns false when it could not be done.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or address with its default program (report index, web page).
    virtual bool openDocument(const std::string& pathOrUrl) = 0;
    // Starts a text editor on a file (the autorun log).
    virtual bool openTextEditor(const std::string& path) = 0;
    // Moves a file or folder to the trash (the recycle bin).
    virtual bool moveToTrash(const std::string& path) = 0;
    // Whether a desktop session is there to show documents at all.
    virtual bool hasDesktop() const = 0;
};

}  // namespace larkspan
