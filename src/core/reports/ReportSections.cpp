#include "reports/ReportSections.h"

#include "reports/PageReports.h"
#include "reports/ReportGenerator.h"
#include "reports/TableReportBuilders.h"
#include "reports/TrafficReports.h"

namespace larkspan {

namespace {

// Adapts a builder that reads only the statistics table.
template <void (*Build)(const analysis::StatisticsTable&, ReportGrid&, const ReportContext&)>
void fromStatistics(ReportGenerator& generator)
{
    Build(generator.stats(), generator.grid(), generator.context());
}

using analysis::StatList;
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
             {"Top Browser Types", "LKRBrowsers", "Generating Reports...", &buildBrowsersReport, kNone, true},
             {"User Agent Operating Systems", "LKRAgentsOS", "Analyzing User Agent operating systems...",
              &buildOperatingSystemsReport},
         },
         nullptr,
         {StatList::UserAgents}},
        {"Page Analysis",
         &RunProfile::page,
         {
             {"Most Popular Pages", "LKRPages", "Analyzing Page URL activity...", &fromStatistics<fillPagesReport>},
             {"Most Popular Downloads", "LKRDownloads", "Analyzing Download activity...",
              &fromStatistics<fillDownloadsReport>},
             {"Total Errors Analysis", "LKRTotalErrors", "Analyzing Error data...totals",
              &fromStatistics<fillTotalErrorsReport>},
             {"Page View Errors", "LKRPageErrors", "Analyzing Error data...page views",
              &fromStatistics<fillPageErrorsReport>},
             {"Download Errors", "LKRDownloadErrors", "Analyzing Error data...downloads",
              &fromStatistics<fillDownloadErrorsReport>},
         },
         nullptr,
         {StatList::Pages, StatList::Downloads}},
        {"Usage Analysis",
         &RunProfile::usage,
         {
             {"Usage by Hits", "LKRUsageByHit", "Analyzing usage data...Hits", &buildUsageByHitsReport},
             {"Usage by Kilobytes", "LKRUsageByKB", "Analyzing usage data...KiloBytes", &buildUsageByKilobytesReport},
             {"Usage by Session", "LKRUsageBySession", "Analyzing usage data...Sessions", &buildUsageBySessionsReport},
         }},
        {"Referral Analysis",
         &RunProfile::referrers,
         {
             {"Top Referring URLs", "LKRReferringURL", "Analyzing referral data...", &buildReferringUrlsReport},
             {"Top Referring Domains", "LKRRefDomains", "Analyzing Referring Domains...", &buildReferringDomainsReport,
              kReferral},
             {"Referring Advertising Domains", "LKRReferringAdds", "Analyzing Referring Advertising Domains...",
              &buildAdvertisingDomainsReport, kReferral},
             {"Referring Affiliate Domains", "LKRRefAffiliates", "Analyzing Referring Affiliate Domains...",
              &buildAffiliateDomainsReport, kReferral},
             {"Top Referring Search Engines", "LKRReferringSE", "Analyzing Referring Search Engines...",
              &buildSearchEnginesReport, kEngines},
             {"Top Referring Search Engine Keywords", "LKRReferringSEKW",
              "Analyzing Referring Search Engine Keywords...", &buildSearchKeywordsReport, kEngines},
             {"Top Referring Search Engine Keyword Phrases", "LKRReferringSEKWP",
              "Analyzing Referring Search Engine Keyword Phrases...", &buildSearchPhrasesReport, kEngines},
         },
         nullptr,
         {StatList::Referrers}},
        {"Demographic Analysis",
         &RunProfile::demogs,
         {
             {"Sessions by Country", "LKRSesByCntry", nullptr, &buildSessionsByCountryReport, kNone, true},
             {"Sessions by Domain", "LKRSesByDomain", nullptr, &buildSessionsByDomainReport, kNone, true},
             {"Sessions by Machine Name", "LKRSesByMachine", nullptr, &buildSessionsByMachineReport, kNone, true},
             {"Page/File Requests by Country", "LKRHitsByCntry", nullptr, &buildHitsByCountryReport, kNone, true},
             {"Page/File Requests by Domain", "LKRHitsByDomain", nullptr, &buildHitsByDomainReport, kNone, true},
             {"Page/File Requests by Machine Name", "LKRHitsByMachine", nullptr, &buildHitsByMachineReport, kNone,
              true},
         },
         &prepareDemographics},
        {"Traffic Details",
         &RunProfile::details,
         {
             {"Robots and Crawlers", "LKRRobots", "Analyzing robot activity...", &fromStatistics<fillRobotsReport>},
             {"Status Codes", "LKRStatusCodes", "Analyzing status codes...", &fromStatistics<fillStatusCodesReport>},
             {"Pages Not Found", "LKRNotFound", "Analyzing pages not found...",
              &fromStatistics<fillPagesNotFoundReport>},
             {"Hours of the Day", "LKRHours", "Analyzing usage data...hours of the day",
              &fromStatistics<fillHoursOfDayReport>},
             {"Days of the Week", "LKRWeekdays", "Analyzing usage data...days of the week",
              &fromStatistics<fillDaysOfWeekReport>},
             {"File Types", "LKRFileTypes", "Analyzing file types...", &fromStatistics<fillFileTypesReport>},
             {"Pages by Kilobytes", "LKRPagesByKB", "Analyzing Page URL activity...kilobytes",
              &fromStatistics<fillPageKilobytesReport>},
         },
         nullptr,
         {StatList::Pages}},
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
