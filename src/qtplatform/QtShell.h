#pragma once

#include "platform/Shell.h"

namespace larkspan {

class QtShell : public Shell {
public:
    bool openDocument(const std::string& pathOrUrl) override;
    bool openTextEditor(const std::string& path) override;
    bool moveToTrash(const std::string& path) override;
    bool hasDesktop() const override { return true; }
};

}  // namespace larkspan
