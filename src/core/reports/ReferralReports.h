#pragma once

namespace larkspan {

class ReportGrid;
class SearchEngineTable;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}
namespace referrers {
class ExcludedDomains;
}

// The referral and search-engine builders of the referrer group. fillSearchEnginesReport
// fills the search-engine table's collected columns, which the two keyword
// builders that follow it in the same run read. Each fills the report grid
// or raises NoDataError.
void fillReferringUrlsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                             const referrers::ExcludedDomains& excluded);
void fillSearchEnginesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                             SearchEngineTable& engines);
void fillSearchKeywordsReport(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines);
void fillSearchPhrasesReport(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines);

} // namespace larkspan
