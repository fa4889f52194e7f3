#pragma once

#include "reports/DemographicTable.h"

namespace larkspan {

class ReportGrid;
struct ReportContext;

// The six demographic builders, in run order. They read the demographic
// table that parseDemographics filled; the country builders name countries
// with the country list. Each fills the report grid or raises NoDataError.
void fillSessionsByCountryReport(const DemographicTable& table, const demographics::CodeList& countries,
                                 ReportGrid& grid, const ReportContext& context);
void fillSessionsByDomainReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void fillSessionsByMachineReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void fillHitsByCountryReport(const DemographicTable& table, const demographics::CodeList& countries, ReportGrid& grid,
                             const ReportContext& context);
void fillHitsByDomainReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);
void fillHitsByMachineReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context);

} // namespace larkspan
