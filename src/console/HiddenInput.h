#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace larkspan {

// Asks for a secret on the terminal: writes the prompt to out and reads one
// line from in while the terminal on standard input does not echo what is
// typed. The terminal's settings come back afterwards, also when the program
// is interrupted while it waits. When standard input is not a
// terminal the line is read as it comes. nullopt at end of input.
std::optional<std::string> readHiddenLine(std::istream& in, std::ostream& out, const std::string& prompt);

} // namespace larkspan
