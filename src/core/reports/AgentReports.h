#pragma once

#include <string>

namespace larkspan {

class BrowserTable;
class ReportGrid;
class OperatingSystemTable;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the browser group, in run order. fillBrowsersReport reads the
// robot list afresh from robotListPath (an unreadable file lists no robot) and names
// browser families with the run's browser table;
// fillOperatingSystemsReport counts with the run's operating-system table. Each fills the
// report grid or raises NoDataError.
void fillBrowsersReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                        const std::string& robotListPath, const BrowserTable& families);
void fillOperatingSystemsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const OperatingSystemTable& systems);

} // namespace larkspan
