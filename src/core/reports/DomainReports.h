#pragma once

#include <string>
#include <vector>

namespace larkspan {

class ReportGrid;
struct ReportContext;
namespace analysis {
class StatisticsTable;
}
namespace referrers {
class ExcludedDomains;
}

// The referring-domain, advertising and affiliate builders of the referrer
// group. The advertising and affiliate lists are the profile's entries (host
// names, possibly with a path). Each fills the report grid or raises
// NoDataError.
void fillReferringDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const referrers::ExcludedDomains& excluded);
void fillAdvertisingDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid,
                                  const ReportContext& context, const std::vector<std::string>& advertisers);
void fillAffiliateDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const std::vector<std::string>& affiliates);

} // namespace larkspan
