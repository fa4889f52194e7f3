#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspan::logline {

// Blanks and control characters (<= ' ') removed from both ends.
std::string_view trimmed(std::string_view line);
// Nothing but blanks and control characters.
bool isBlank(std::string_view line);

// Whether a line may start the import of a file: "#", a trailing ",", a
// "[" after the first character, a bracket text with "/" before '] "', or
// "format=" (all on the trimmed line).
bool isAcceptedLine(std::string_view line);
// An access record of the bracketed-date layouts: a "[" after the first
// character, and "/" between the first "[" and the next '] "' (trimmed line).
bool isBracketRecord(std::string_view line);
// Classification's bracket test: a "[" before any double quote, and "/"
// between the first "[" and the next "]".
bool hasBracketDate(std::string_view line);

// "host:port" as Apache's virtual-host field writes it: a name or an IPv4
// address, a colon and a decimal port. An IPv6 address, having several
// colons, is not one.
bool isHostAndPort(std::string_view field);

// Rewrites a bracketed-date line into space-separated fields: the bracket
// text becomes "yyyy-mm-dd hh:mm:ss" (zone dropped), the request loses its
// quotes and becomes method, path and protocol, every later quoted field
// loses its quotes and has its blanks turned into "+" (up to the first
// empty or unclosed one), and the result is trimmed. Runs in time linear in
// the line's length. out and scratch are reused buffers.
void normaliseNcsa(std::string_view line, std::string& out, std::string& scratch);
// isBracketRecord(line) and, when true, normaliseNcsa(line, out, scratch),
// with the line scanned once for both where it has the usual shape.
bool rewriteBracketRecord(std::string_view line, std::string& out, std::string& scratch);
// The same rewriting by the general route alone (normaliseNcsa takes a
// single pass for lines of the usual shape); tests compare the two.
void normaliseNcsaGeneral(std::string_view line, std::string& out, std::string& scratch);

// The field at a 1-based position among fields separated by single
// separators; empty when there are fewer fields.
std::string_view field(std::string_view line, std::size_t position, char separator = ' ');
// The number of fields separated by single spaces.
std::size_t fieldCount(std::string_view line);

} // namespace larkspan::logline
