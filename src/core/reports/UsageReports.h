#pragma once

#include "analysis/AnalysisResult.h"

namespace larkspan {

class ReportGrid;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the usage group, in run order: one line per time
// bucket in time order, named by the pass's bucket mode. Each fills the
// report grid or raises NoDataError.
void fillUsageByHitsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                           analysis::BucketMode mode);
void fillUsageByKilobytesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                analysis::BucketMode mode);
void fillUsageBySessionsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                               analysis::BucketMode mode);

} // namespace larkspan
