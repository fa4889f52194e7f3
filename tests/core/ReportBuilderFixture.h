#pragma once

#include "analysis/StatisticsTable.h"
#include "platform/Clock.h"
#include "reports/NoDataError.h"
#include "reports/ReportContext.h"
#include "reports/ReportGrid.h"

#include <functional>
#include <string>
#include <vector>

// A statistics table, a report grid and the settings a builder reads.
struct ReportBuilderFixture {
    ReportBuilderFixture()
    {
        settings.url = "www.example.com";
        settings.firstDay = {2024, 2, 1};
        settings.lastDay = {2024, 2, 29};
        settings.daysReported = 29;
    }
    larkspan::ReportContext context() const { return {settings, clock}; }

    void agent(const std::string& text, int times)
    {
        stats.setUp();
        for (int i = 0; i < times; ++i)
            stats.countUserAgent(text);
    }
    void referrer(const std::string& url, int times)
    {
        stats.setUp();
        for (int i = 0; i < times; ++i)
            stats.countReferrer(url);
    }

    // The message of the NoDataError the call raises, or "(built)".
    std::string noData(const std::function<void()>& build)
    {
        try {
            build();
        } catch (const larkspan::NoDataError& e) {
            return e.what();
        }
        return "(built)";
    }

    std::vector<std::string> column(int c) const
    {
        std::vector<std::string> out;
        for (int r = 10; r < grid.rowCount(); ++r)
            out.push_back(grid.cell(c, r));
        return out;
    }

    larkspan::ReportSettings settings;
    larkspan::FixedClock clock{larkspan::LocalDateTime{larkspan::CivilDate{2024, 3, 1}, 14, 5, 9}};
    larkspan::analysis::StatisticsTable stats;
    larkspan::ReportGrid grid;
};
