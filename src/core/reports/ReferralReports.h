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

// The referral and search-engine builders of the referrer group. ReferringSE
// fills the search-engine table's collected columns, which the two keyword
// builders that follow it in the same run read. Each fills the report grid
// or raises EDataNotLogged.
void ReferringURL(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                  const referrers::ExcludedDomains& excluded);
void ReferringSE(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                 SearchEngineTable& engines);
void ReferringSEKW(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines);
void ReferringSEKWP(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines);

} // namespace larkspan
