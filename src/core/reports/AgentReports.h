#pragma once

#include <string>

namespace larkspan {

class ReportGrid;
class OperatingSystemTable;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the browser group, in run order. Browsers reads the
// robot list afresh from robotListPath (an unreadable file lists no robot);
// AgentsOS counts with the run's operating-system table. Each fills the
// report grid or raises EDataNotLogged.
void Browsers(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
              const std::string& robotListPath);
void AgentsOS(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
              const OperatingSystemTable& systems);

} // namespace larkspan
