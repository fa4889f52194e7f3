#pragma once

#include "reports/ReportContext.h"

#include <optional>
#include <string>

namespace larkspan {

class ReportGrid;

// The name a report heading gives the profile's predefined range ("Daily",
// "Weekly" ...); empty for a value outside 0 to 7.
std::string periodName(int preDate);

// Resets the grid to its ten header rows and fills them: generator, title
// " for " url, creation time, period (the override when given), dates, about
// text, days, units, version, copyright and the standard templates.
void startReportGrid(ReportGrid& grid, const ReportContext& context, const std::string& title,
                     const std::optional<std::string>& periodOverride, const std::string& units,
                     const std::string& about);

// Rows 5 to 9: the standard HTML template with widths 60 and 0, the CSV
// template with -1 and 0, empty rows 7 and 8 and an empty chart row.
void setStandardTemplates(ReportGrid& grid);

} // namespace larkspan
