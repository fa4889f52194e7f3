#pragma once

#include <stdexcept>
#include <string>

namespace larkspan {

// A failure with a message meant for the operator. Operations throw it; the
// window handler, the command or the run that called them shows the text.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Raised when the operator cancels long work; nothing finished is undone.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("Operation cancelled") {}
};

}  // namespace larkspan
