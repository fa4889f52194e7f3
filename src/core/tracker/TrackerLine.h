#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::tracker {

// The comma text of the tracker files. A field holding a comma or a double
// quote is written in double quotes with inner quotes doubled; every other
// field is written as it is, so lines without such fields read exactly as
// plain comma lists.

// True when a field holds a comma or a double quote and is written quoted.
bool needsQuotes(std::string_view field);

// Appends one field (with its leading comma unless it is the first).
void appendField(std::string& line, std::string_view field, bool first = false);

// Appends several fields, the first without a leading comma (empty spans
// are not allowed).
void appendFields(std::string& line, std::span<const std::string_view> fields);

// Appends fields known to need no quotes, the first without a leading
// comma.
void appendPlainFields(std::string& line, std::span<const std::string_view> fields);

// Joins fields into one line (without a line break).
std::string joinFields(const std::vector<std::string>& fields);

// Splits a line into its fields: a field that begins with a double quote
// runs to the closing quote ("" inside stands for one quote) and may hold
// commas; text after the closing quote up to the next comma is kept. A
// missing closing quote takes the rest of the line. An empty line is one
// empty field.
std::vector<std::string> splitFields(std::string_view line);

} // namespace larkspan::tracker
