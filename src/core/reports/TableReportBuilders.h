#pragma once

namespace larkspan {

class ReportGenerator;

// The browser, usage, referral, search-engine and demographic builders as
// the report run calls them: each reads what it needs from the generator
// (statistics table, profile lists, the run's search-engine and
// operating-system tables, the demographic table).
void buildBrowsers(ReportGenerator& generator);
void buildAgentsOS(ReportGenerator& generator);
void buildUsageByHit(ReportGenerator& generator);
void buildUsageByKB(ReportGenerator& generator);
void buildUsageBySession(ReportGenerator& generator);
void buildReferringURL(ReportGenerator& generator);
void buildReferringDomains(ReportGenerator& generator);
void buildReferringAdds(ReportGenerator& generator);
void buildReferringAffiliates(ReportGenerator& generator);
void buildReferringSE(ReportGenerator& generator);
void buildReferringSEKW(ReportGenerator& generator);
void buildReferringSEKWP(ReportGenerator& generator);

// Reads the profile's demographic data file into the generator's table
// (ParseDemog); raises EDataNotLogged when the file is missing or cannot be
// opened.
void ParseDemog(ReportGenerator& generator);
void buildDemogCountrySes(ReportGenerator& generator);
void buildDemogDomainSes(ReportGenerator& generator);
void buildDemogMachineSes(ReportGenerator& generator);
void buildDemogCountryHits(ReportGenerator& generator);
void buildDemogDomainHits(ReportGenerator& generator);
void buildDemogMachineHits(ReportGenerator& generator);

} // namespace larkspan
