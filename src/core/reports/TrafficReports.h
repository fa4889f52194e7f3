#pragma once

namespace larkspan {

namespace analysis {
class StatisticsTable;
}
class ReportGrid;
struct ReportContext;

// The traffic-detail reports, read from the statistics table's traffic
// tallies. Each raises NoDataError when its tally is empty.

// One line per robot name: hits, share of robot hits, kilobytes, last visit.
void fillRobotsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// One line per status code: hits, share, kilobytes, the code's meaning.
void fillStatusCodesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// One line per path answered 404: hits, share, the referrer seen most.
void fillPagesNotFoundReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// The 24 hours of the day, in order, over the whole range.
void fillHoursOfDayReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// The seven days of the week, Sunday first, over the whole range.
void fillDaysOfWeekReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// One line per file extension: hits, share, kilobytes.
void fillFileTypesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);
// One line per page, ranked by kilobytes sent, with its hits.
void fillPageKilobytesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context);

} // namespace larkspan
