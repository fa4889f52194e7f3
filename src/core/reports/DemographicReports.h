#pragma once

#include "reports/DemographicTable.h"

namespace larkspan {

class ReportGrid;
struct ReportContext;

// The six demographic builders, in run order. They read the demographic
// table that parseDemographics filled; the country builders name countries
// with the country list. Each fills the report grid or raises EDataNotLogged.
void DemogCountrySes(const DemographicTable& table, const demographics::CodeList& countries, ReportGrid& grid,
                     const ReportContext& context);
void DemogDomainSes(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void DemogMachineSes(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void DemogCountryHits(const DemographicTable& table, const demographics::CodeList& countries, ReportGrid& grid,
                      const ReportContext& context);
void DemogDomainHits(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void DemogMachineHits(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);

} // namespace larkspan
