#pragma once

#include <string>
#include <string_view>

namespace larkspan {

// Formats a number with a digit pattern: "#" an optional digit, "0" a digit
// always written, "." the decimal separator, "," between digit places groups
// thousands; other characters before and after the digits are written as
// they stand. The value is rounded (half away from zero) to the pattern's
// decimal places. "##0.0##%" writes 12.5 as "12.5%", 3.14159 as "3.142%";
// "#" digits print no leading zero, so "####.##" writes 0.5 as ".5".
std::string formatNumber(double value, std::string_view pattern);

// A count as the 100-digit zero-padded text used as a sort key.
std::string countKey(long long count);

}  // namespace larkspan
