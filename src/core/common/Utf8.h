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
// The same for a text the caller gives up: returned as it is, without a
// copy, when it is valid already (a whole report page, for instance).
std::string toValidUtf8Owned(std::string s);

} // namespace larkspan::text
