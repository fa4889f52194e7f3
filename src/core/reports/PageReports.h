#pragma once

namespace larkspan {

class ReportGrid;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}

// The report builders of the page group, in run order. Each fills the report
// grid with one complete report or raises NoDataError when it has nothing
// to report; any other failure is an exception the run lists as an error.
void fillPagesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void fillDownloadsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void fillTotalErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void fillPageErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
void fillDownloadErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);

} // namespace larkspan
