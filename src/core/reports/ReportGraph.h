#pragma once

#include "platform/Chart.h"

namespace larkspan {

class ReportGrid;

// The chart the grid's chart row (row 9) asks for: a ranking of the first
// five lines at most (kind 1) or every line in order (kind 5). No points
// when the grid has no detail row, no value column or another kind. Values
// with a "." are read as decimals (a point that is not a number is left
// out), others as whole numbers (0 when not one); labels longer than 42
// characters are cut to 40 and "...".
ChartRequest chartRequest(const ReportGrid& grid, bool threeD);

}  // namespace larkspan
