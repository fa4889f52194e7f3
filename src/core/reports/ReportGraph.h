#pragma once

#include "reports/GenerateGraph.h"

namespace larkspan {

class ReportGrid;

// The report grid as the chart reads it; the grid must outlive the view.
GraphGrid graphGridOf(const ReportGrid& grid);

}  // namespace larkspan
