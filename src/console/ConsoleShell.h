#pragma once

#include "platform/Shell.h"

namespace larkspan {

// Opens documents with xdg-open when a desktop session is there, and moves
// files to the freedesktop trash ($XDG_DATA_HOME/Trash).
class ConsoleShell : public Shell {
public:
    bool openDocument(const std::string& pathOrUrl) override;
    bool openTextEditor(const std::string& path) override;
    bool moveToTrash(const std::string& path) override;
    bool hasDesktop() const override;
};

}  // namespace larkspan
