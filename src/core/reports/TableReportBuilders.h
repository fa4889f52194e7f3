#pragma once

namespace larkspan {

class ReportGenerator;

// The browser, usage, referral, search-engine and demographic builders as
// the report run calls them: each reads what it needs from the generator
// (statistics table, profile lists, the run's search-engine and
// operating-system tables, the demographic table).
void buildBrowsersReport(ReportGenerator& generator);
void buildOperatingSystemsReport(ReportGenerator& generator);
void buildUsageByHitsReport(ReportGenerator& generator);
void buildUsageByKilobytesReport(ReportGenerator& generator);
void buildUsageBySessionsReport(ReportGenerator& generator);
void buildReferringUrlsReport(ReportGenerator& generator);
void buildReferringDomainsReport(ReportGenerator& generator);
void buildAdvertisingDomainsReport(ReportGenerator& generator);
void buildAffiliateDomainsReport(ReportGenerator& generator);
void buildSearchEnginesReport(ReportGenerator& generator);
void buildSearchKeywordsReport(ReportGenerator& generator);
void buildSearchPhrasesReport(ReportGenerator& generator);

// Reads the profile's demographic data file into the generator's table
// (prepareDemographics); raises NoDataError when the file is missing or cannot be
// opened.
void prepareDemographics(ReportGenerator& generator);
void buildSessionsByCountryReport(ReportGenerator& generator);
void buildSessionsByDomainReport(ReportGenerator& generator);
void buildSessionsByMachineReport(ReportGenerator& generator);
void buildHitsByCountryReport(ReportGenerator& generator);
void buildHitsByDomainReport(ReportGenerator& generator);
void buildHitsByMachineReport(ReportGenerator& generator);

} // namespace larkspan
