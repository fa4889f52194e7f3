#include "reports/ReportSections.h"

#include "reports/PageReports.h"
#include "reports/ReportGenerator.h"
#include "reports/TableReportBuilders.h"

namespace larkspan {

namespace {

// Adapts a builder that reads only the statistics table.
template <void (*Build)(const analysis::StatisticsTable&, ReportGrid&, const ReportContext&)>
void fromStatistics(ReportGenerator& generator)
{
    Build(generator.stats(), generator.grid(), generator.context());
}

using profiles::RunProfile;
constexpr auto kNone = ReportGuard::None;
constexpr auto kReferral = ReportGuard::Referral;
constexpr auto kEngines = ReportGuard::SearchEngines;

} // namespace

const std::vector<ReportSection>& reportSections()
{
    // One line per report; a builder that has not arrived yet is nullptr.
    static const std::vector<ReportSection> sections{
        {"Browser Analysis",
         &RunProfile::browser,
         {
             {"Top Browser Types", "LKRBrowsers", "Generating Reports...", &buildBrowsers, kNone, true},
             {"User Agent Operating Systems", "LKRAgentsOS", "Analyzing User Agent operating systems...",
              &buildAgentsOS},
         }},
        {"Page Analysis",
         &RunProfile::page,
         {
             {"Most Popular Pages", "LKRPages", "Analyzing Page URL activity...", &fromStatistics<Pages>},
             {"Most Popular Downloads", "LKRDownloads", "Analyzing Download activity...", &fromStatistics<Downloads>},
             {"Total Errors Analysis", "LKRTotalErrors", "Analyzing Error data...totals", &fromStatistics<TotalErrors>},
             {"Page View Errors", "LKRPageErrors", "Analyzing Error data...page views", &fromStatistics<PageErrors>},
             {"Download Errors", "LKRDownloadErrors", "Analyzing Error data...downloads",
              &fromStatistics<DownloadErrors>},
         }},
        {"Usage Analysis",
         &RunProfile::usage,
         {
             {"Usage by Hits", "LKRUsageByHit", "Analyzing usage data...Hits", &buildUsageByHit},
             {"Usage by Kilobytes", "LKRUsageByKB", "Analyzing usage data...KiloBytes", &buildUsageByKB},
             {"Usage by Session", "LKRUsageBySession", "Analyzing usage data...Sessions", &buildUsageBySession},
         }},
        {"Referral Analysis",
         &RunProfile::referrers,
         {
             {"Top Referring URLs", "LKRReferringURL", "Analyzing referral data...", &buildReferringURL},
             {"Top Referring Domains", "LKRRefDomains", "Analyzing Referring Domains...", &buildReferringDomains,
              kReferral},
             {"Referring Advertising Domains", "LKRReferringAdds", "Analyzing Referring Advertising Domains...",
              &buildReferringAdds, kReferral},
             {"Referring Affiliate Domains", "LKRRefAffiliates", "Analyzing Referring Affiliate Domains...",
              &buildReferringAffiliates, kReferral},
             {"Top Referring Search Engines", "LKRReferringSE", "Analyzing Referring Search Engines...",
              &buildReferringSE, kEngines},
             {"Top Referring Search Engine Keywords", "LKRReferringSEKW",
              "Analyzing Referring Search Engine Keywords...", &buildReferringSEKW, kEngines},
             {"Top Referring Search Engine Keyword Phrases", "LKRReferringSEKWP",
              "Analyzing Referring Search Engine Keyword Phrases...", &buildReferringSEKWP, kEngines},
         }},
        {"Demographic Analysis",
         &RunProfile::demogs,
         {
             {"Sessions by Country", "LKRSesByCntry", nullptr, &buildDemogCountrySes, kNone, true},
             {"Sessions by Domain", "LKRSesByDomain", nullptr, &buildDemogDomainSes, kNone, true},
             {"Sessions by Machine Name", "LKRSesByMachine", nullptr, &buildDemogMachineSes, kNone, true},
             {"Page/File Requests by Country", "LKRHitsByCntry", nullptr, &buildDemogCountryHits, kNone, true},
             {"Page/File Requests by Domain", "LKRHitsByDomain", nullptr, &buildDemogDomainHits, kNone, true},
             {"Page/File Requests by Machine Name", "LKRHitsByMachine", nullptr, &buildDemogMachineHits, kNone, true},
         },
         &ParseDemog},
    };
    return sections;
}

std::vector<const ReportEntry*> availableReports(const ReportSection& section)
{
    std::vector<const ReportEntry*> out;
    for (const auto& entry : section.reports)
        if (entry.build) out.push_back(&entry);
    return out;
}

} // namespace larkspan
