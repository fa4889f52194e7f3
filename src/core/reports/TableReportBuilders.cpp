#include "reports/TableReportBuilders.h"

#include "common/ProgramFolder.h"
#include "reports/AgentReports.h"
#include "reports/DemographicReports.h"
#include "reports/DomainReports.h"
#include "reports/EDataNotLogged.h"
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

void buildBrowsers(ReportGenerator& g)
{
    Browsers(g.stats(), g.grid(), g.context(), g.folder().syss() + "/rasags.lklf");
}

void buildAgentsOS(ReportGenerator& g)
{
    OperatingSystemTable systems;
    systems.assign(g.operatingSystems());
    AgentsOS(g.stats(), g.grid(), g.context(), systems);
}

void buildUsageByHit(ReportGenerator& g)
{
    UsageByHit(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}
void buildUsageByKB(ReportGenerator& g)
{
    UsageByKB(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}
void buildUsageBySession(ReportGenerator& g)
{
    UsageBySession(g.stats(), g.grid(), g.context(), g.settings().bucketMode);
}

void buildReferringURL(ReportGenerator& g)
{
    ReferringURL(g.stats(), g.grid(), g.context(), referrers::ExcludedDomains(g.profile().excludedReferrers));
}

void buildReferringDomains(ReportGenerator& g)
{
    ReferringDomains(g.stats(), g.grid(), g.context(), referrers::ExcludedDomains(g.profile().excludedReferrers));
}

void buildReferringAdds(ReportGenerator& g)
{
    ReferringAdds(g.stats(), g.grid(), g.context(), g.profile().advertisingDomains);
}

void buildReferringAffiliates(ReportGenerator& g)
{
    ReferringAffiliates(g.stats(), g.grid(), g.context(), g.profile().affiliateDomains);
}

void buildReferringSE(ReportGenerator& g)
{
    SearchEngineTable engines = searchEnginesOf(g);
    try {
        ReferringSE(g.stats(), g.grid(), g.context(), engines);
    } catch (...) {
        engines.writeCollected(g.searchEngines());
        throw;
    }
    engines.writeCollected(g.searchEngines());
}

void buildReferringSEKW(ReportGenerator& g)
{
    ReferringSEKW(g.grid(), g.context(), searchEnginesOf(g));
}
void buildReferringSEKWP(ReportGenerator& g)
{
    ReferringSEKWP(g.grid(), g.context(), searchEnginesOf(g));
}

void ParseDemog(ReportGenerator& g)
{
    g.demographics().clear();
    const std::string dataFile = g.folder().myProfiles() + "/" + g.profile().name + ".dmgrpt";
    try {
        g.demographics() = parseDemographics(g.platform(), dataFile, g.folder().syss() + "/ccdsf.lklf",
                                             g.folder().syss() + "/dtcdsf.lklf");
    } catch (const NoDemographicData& e) {
        throw EDataNotLogged(e.what());
    }
    g.countries() = demographics::CodeList::load(g.folder().syss() + "/ccdsf.lklf");
}

void buildDemogCountrySes(ReportGenerator& g)
{
    DemogCountrySes(g.demographics(), g.countries(), g.grid(), g.context());
}
void buildDemogDomainSes(ReportGenerator& g)
{
    DemogDomainSes(g.demographics(), g.grid(), g.context());
}
void buildDemogMachineSes(ReportGenerator& g)
{
    DemogMachineSes(g.demographics(), g.grid(), g.context());
}
void buildDemogCountryHits(ReportGenerator& g)
{
    DemogCountryHits(g.demographics(), g.countries(), g.grid(), g.context());
}
void buildDemogDomainHits(ReportGenerator& g)
{
    DemogDomainHits(g.demographics(), g.grid(), g.context());
}
void buildDemogMachineHits(ReportGenerator& g)
{
    DemogMachineHits(g.demographics(), g.grid(), g.context());
}

} // namespace larkspan
