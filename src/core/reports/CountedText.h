#pragma once

#include "common/LargeBlocks.h"

#include <string_view>

namespace larkspan {

// One entry of a counted list of the statistics table (a user-agent text or
// a referring URL as stored, with the number of requests it stands for).
// The text is the table's own; the list lives no longer than the table.
struct CountedText {
    std::string_view text;
    long long count = 0;
};

using CountedTextList = memory::LargeVector<CountedText>;

} // namespace larkspan
