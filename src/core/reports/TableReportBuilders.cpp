#include "reports/TableReportBuilders.h"

#include "common/ProgramFolder.h"
#include "reports/AgentReports.h"
#include "reports/DemographicReports.h"
#include "reports/DomainReports.h"
#include "reports/NoDataError.h"
#include "reports/OperatingSystemTable.h"
#include "reports/ReferralReports.h"
#include "reports/ReferrerRules.h"
#include "reports/ReportGenerator.h"
#include "reports/SearchEngineTable.h"
#include "reports/UsageReports.h"

namespace larkspan {

namespace {

SearchEngineTable searchEnginesOf(ReportGenerator& generator)
{
    SearchEngineTable engines;
    engines.assign(generator.searchEngines());
    return engines;
}

} // namespace

void buildBrowsersReport(ReportGenerator& g)
{
    fillBrowsersReport(g.stats(), g.grid(), g.context(), g.folder().syss() + "/rasags.lklf", g.browsers());
}

void buildOperatingSystemsReport(ReportGenerator& g)
{
    OperatingSystemTable systems;
    systems.assign(g.operatingSystems());
    fillOperatingSystemsReport(g.stats(), g.grid(), g.context(), systems);
}

void buildUsageByHitsReport(ReportGenerator& g)
{
    fillUsageByHitsReport(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}
void buildUsageByKilobytesReport(ReportGenerator& g)
{
    fillUsageByKilobytesReport(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}
void buildUsageBySessionsReport(ReportGenerator& g)
{
    fillUsageBySessionsReport(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}

void buildReferringUrlsReport(ReportGenerator& g)
{
    fillReferringUrlsReport(g.stats(), g.grid(), g.context(),
                            referrers::ExcludedDomains(g.profile().excludedReferrers));
}

void buildReferringDomainsReport(ReportGenerator& g)
{
    fillReferringDomainsReport(g.stats(), g.grid(), g.context(),
                               referrers::ExcludedDomains(g.profile().excludedReferrers));
}

void buildAdvertisingDomainsReport(ReportGenerator& g)
{
    fillAdvertisingDomainsReport(g.stats(), g.grid(), g.context(), g.profile().advertisingDomains);
}

void buildAffiliateDomainsReport(ReportGenerator& g)
{
    fillAffiliateDomainsReport(g.stats(), g.grid(), g.context(), g.profile().affiliateDomains);
}

void buildSearchEnginesReport(ReportGenerator& g)
{
    SearchEngineTable engines = searchEnginesOf(g);
    try {
        fillSearchEnginesReport(g.stats(), g.grid(), g.context(), engines);
    } catch (...) {
        engines.writeCollected(g.searchEngines());
        throw;
    }
    engines.writeCollected(g.searchEngines());
}

void buildSearchKeywordsReport(ReportGenerator& g)
{
    fillSearchKeywordsReport(g.grid(), g.context(), searchEnginesOf(g));
}
void buildSearchPhrasesReport(ReportGenerator& g)
{
    fillSearchPhrasesReport(g.grid(), g.context(), searchEnginesOf(g));
}

void prepareDemographics(ReportGenerator& g)
{
    g.demographics().clear();
    const std::string dataFile = g.folder().myProfiles() + "/" + g.profile().name + ".dmgrpt";
    try {
        g.demographics() = parseDemographics(g.platform(), dataFile, g.folder().syss() + "/ccdsf.lklf",
                                             g.folder().syss() + "/dtcdsf.lklf");
    } catch (const NoDemographicData& e) {
        throw NoDataError(e.what());
    }
    g.countries() = demographics::CodeList::load(g.folder().syss() + "/ccdsf.lklf");
}

void buildSessionsByCountryReport(ReportGenerator& g)
{
    fillSessionsByCountryReport(g.demographics(), g.countries(), g.grid(), g.context());
}
void buildSessionsByDomainReport(ReportGenerator& g)
{
    fillSessionsByDomainReport(g.demographics(), g.grid(), g.context());
}
void buildSessionsByMachineReport(ReportGenerator& g)
{
    fillSessionsByMachineReport(g.demographics(), g.grid(), g.context());
}
void buildHitsByCountryReport(ReportGenerator& g)
{
    fillHitsByCountryReport(g.demographics(), g.countries(), g.grid(), g.context());
}
void buildHitsByDomainReport(ReportGenerator& g)
{
    fillHitsByDomainReport(g.demographics(), g.grid(), g.context());
}
void buildHitsByMachineReport(ReportGenerator& g)
{
    fillHitsByMachineReport(g.demographics(), g.grid(), g.context());
}

} // namespace larkspan
