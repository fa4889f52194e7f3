#pragma once

#include "common/FieldSplit.h"

#include <span>
#include <string_view>

// The splitters built for AVX2 (FieldSplitAvx2.cpp). Call them only when
// hasAvx2() says the machine runs them.
namespace larkspan::text::avx2 {

bool hasAvx2();
SplitLine splitValues(std::string_view line, char delimiter, std::span<std::string_view> values, bool rejectAdjacent);
SplitLine splitLine(std::string_view text, char delimiter, std::span<std::string_view> values, bool rejectAdjacent);

} // namespace larkspan::text::avx2
