#pragma once

#include <string>
#include <vector>

namespace larkspan {

// One entry of a counted list of the statistics table (a user-agent text or
// a referring URL as stored, with the number of requests it stands for).
struct CountedText {
    std::string text;
    long long count = 0;
};

using CountedTextList = std::vector<CountedText>;

} // namespace larkspan
