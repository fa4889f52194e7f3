#pragma once

#include "platform/Shell.h"

namespace larkspan {

class QtShell : public Shell {
public:
    bool openDocument(const std::string& pathOrUrl) override;
    // xdg-open, else $VISUAL or $EDITOR started on the file; false when
    // none of them could be started.
    bool openTextEditor(const std::string& path) override;
    bool moveToTrash(const std::string& path) override;
    bool hasDesktop() const override { return true; }
};

}  // namespace larkspan
