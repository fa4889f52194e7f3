#include "reports/ReportGridStart.h"

#include "platform/Clock.h"
#include "reports/ReportGrid.h"
#include "reports/ReportTemplates.h"

namespace larkspan {

std::string periodName(int preDate)
{
    switch (preDate) {
    case 0:
    case 1:
        return "Daily";
    case 2:
        return "Weekly";
    case 3:
        return "Weekly (Week To Date)";
    case 4:
        return "Monthly";
    case 5:
        return "Monthly(Month To Date)";
    case 6:
        return "Year To Date";
    case 7:
        return "Date Range";
    default:
        return "";
    }
}

void startReportGrid(ReportGrid& grid, const ReportContext& context, const std::string& title,
                     const std::optional<std::string>& periodOverride, const std::string& units,
                     const std::string& about)
{
    const ReportSettings& s = context.settings;
    grid.reset();
    const LocalDateTime now = context.clock.now();
    grid.setCell(0, 0, reports::kGeneratorText);
    grid.setCell(1, 0, title + " for " + s.url);
    grid.setCell(2, 0, dates::longTime(now.hour, now.minute, now.second) + " on " + dates::shortDate(now.date));
    grid.setCell(3, 0, periodOverride ? *periodOverride : periodName(s.preDate));
    grid.setCell(4, 0, dates::shortDate(s.firstDay));
    grid.setCell(0, 1, dates::shortDate(s.lastDay));
    grid.setCell(1, 1, about);
    grid.setCell(2, 1, std::to_string(s.daysReported));
    grid.setCell(3, 1, units);
    grid.setCell(4, 1, reports::kVersionText);
    grid.setCell(0, 2, reports::kCopyrightNotice);
    setStandardTemplates(grid);
}

void setStandardTemplates(ReportGrid& grid)
{
    grid.setCell(0, 5, reports::standardHtmlTemplate());
    grid.setCell(3, 5, "60");
    grid.setCell(4, 5, "0");
    grid.setCell(0, 6, reports::standardCsvTemplate());
    grid.setCell(3, 6, "-1");
    grid.setCell(4, 6, "0");
    for (int row = 7; row <= 9; ++row)
        for (int c = 0; c < grid.columnCount(); ++c)
            grid.setCell(c, row, "");
}

} // namespace larkspan
