#pragma once

#include <string>
#include <string_view>

namespace larkspan::text {

// Whether the text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view s);

// The text as well-formed UTF-8: valid sequences stay as they are, every
// other byte is read as windows-1252 (the 8-bit text of older logs) and
// converted; the five bytes windows-1252 leaves undefined become U+FFFD.
std::string toValidUtf8(std::string_view s);

} // namespace larkspan::text
