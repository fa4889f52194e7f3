#pragma once

namespace larkspan {

class ReportGrid;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the page group, in run order. Each fills the report
// grid with one complete report or raises EDataNotLogged when it has nothing
// to report; any other failure is an exception the run lists as an error.
void Pages(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void Downloads(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void TotalErrors(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void PageErrors(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void DownloadErrors(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);

} // namespace larkspan
