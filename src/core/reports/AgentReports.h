#pragma once

#include <string>

namespace larkspan {

class ReportGrid;
class OperatingSystemTable;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the browser group, in run order. fillBrowsersReport reads the
// robot list afresh from robotListPath (an unreadable file lists no robot);
// fillOperatingSystemsReport counts with the run's operating-system table. Each fills the
// report grid or raises NoDataError.
void fillBrowsersReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                        const std::string& robotListPath);
void fillOperatingSystemsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const OperatingSystemTable& systems);

} // namespace larkspan
