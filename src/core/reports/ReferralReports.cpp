#include "reports/ReferralReports.h"

#include "analysis/StatisticsTable.h"
#include "common/Text.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReferrerRules.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/SearchEngineTable.h"
#include "reports/SearchKeywordRows.h"
#include "reports/TemplateCells.h"

#include <unordered_map>

namespace larkspan {

namespace {

const analysis::CountRows& startedReferrers(const analysis::StatisticsTable& stats)
{
    if (stats.counter(analysis::StatList::Referrers).value_or(-1) == -1) throw NoDataError(kDataNotLogged);
    return stats.referrers();
}

// The URL as the page shows it: escaped, with "<br>" between the pieces of
// a long one.
std::string displayMarkup(const std::string& url)
{
    std::string markup;
    for (const std::string& piece : referrers::displayPieces(url)) {
        if (!markup.empty()) markup += "<br>";
        markup += text::htmlEscape(piece);
    }
    return markup;
}

struct KeywordTexts {
    const char* title;
    const char* wordHead;
    const char* about;
};

void buildKeywordReport(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines, bool phrases,
                        const KeywordTexts& t)
{
    startReportGrid(grid, context, t.title, std::nullopt, "Keywords from Search Engine Referrals", t.about);
    grid.setCell(0, 3, "Search Engine");
    grid.setCell(1, 3, t.wordHead);
    grid.setCell(2, 3, "Count");

    std::vector<ReportLine> lines;
    for (TextRow& row : searchKeywordRows(engines, phrases))
        lines.emplace_back(std::move(row));
    grid.appendLines(std::move(lines));
    if (grid.detailCount() == 0) throw NoDataError(kNoDataForReport);

    TemplateCells html(reports::standardHtmlTemplate());
    html.noRowNumbers()
        .firstCell(TemplateCells::FirstCell::PlainLeft)
        .recordLeftNoWrap(1)
        .leftHead(1)
        .leftSummary(1)
        .right(2)
        .remove(3)
        .remove(4);
    grid.setCell(0, 5, html.html());
    grid.setCell(3, 5, "-1");
}

} // namespace

void fillReferringUrlsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                             const referrers::ExcludedDomains& excluded)
{
    const std::string& maxrows = context.settings.maxrows;
    const std::string about = maxrows != "ALL"
                                  ? "The Referring URL report tabulates the top " + maxrows +
                                        " URLs pointing to your site \r\nordered by number of referrals they made."
                                  : std::string("The Referring URL report tabulates the URLs pointing to your site "
                                                "\r\nordered by number of referrals they made.");
    startReportGrid(grid, context, "Referral Report", std::nullopt, "Referrals Made", about);
    grid.setCell(0, 3, "Referring URL");
    grid.setCell(1, 3, "# of Referrals");
    grid.setCell(2, 3, "% of Total Referrals");

    const analysis::CountRows& referrers = startedReferrers(stats);
    auto counted = [&excluded](const analysis::CountRow& row) {
        const std::string_view domain = referrers::domainView(row.key());
        return domain != "Unknown" && !excluded.contains(domain);
    };
    long long total = 0;
    std::vector<std::size_t> listed;
    for (std::size_t i = 0; i < referrers.size(); ++i) {
        const analysis::CountRow& row = referrers[i];
        if (!counted(row)) continue;
        total += row.count;
        const std::string_view trimmed = text::trimView(row.key());
        if (!trimmed.empty() && trimmed != "-") listed.push_back(i);
    }
    if (total == 0) throw NoDataError(kNoDataForReport);
    if (listed.empty()) throw NoDataError(kNoDataForReport);
    // Every count's percentage made first: the ranking reads them on two threads.
    PercentTexts percents(total);
    for (const std::size_t i : listed)
        percents.of(referrers[i].count);
    const RankedCells cells(
        listed.size(), 6,
        [&](std::size_t i, std::size_t column, std::string& scratch) {
            const analysis::CountRow& row = referrers[listed[i]];
            switch (column) {
            case 0:
            case 5:
                return std::string_view(row.key());
            case 1:
                return countText(row.count, scratch);
            case 2:
                return percents.of(row.count);
            default:
                return std::string_view();
            }
        },
        /*twoThreads=*/true, /*keysDistinct=*/true);

    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::OwnLink).right(1).right(2).remove(3).remove(4);
    // The page breaks a long URL into lines; the text (and the CSV file) keeps it whole.
    finishRankedRows(grid, cells, 1, maxrows, total, {" Referrals<br>", " Referrals", " of #,### Unique Shown<br>", 1},
                     [](ReportLine& line) { line.setWithMarkup(0, line.cell(0), displayMarkup(line.cell(0))); });
    setTemplateAndChart(grid, html.html(), "1", "0", "-1", "1");
    grid.setCell(0, 9, "5");
}

void fillSearchEnginesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                             SearchEngineTable& engines)
{
    startReportGrid(
        grid, context, "Referring Search Engine Report", std::nullopt, "Referrals Made form Search Engines",
        "The Referring Search Engine report tabulates the search engines pointing to your site ordered by the"
        " number of referrals they made");
    grid.setCell(0, 3, "Referring URL");
    grid.setCell(2, 3, "# of Referrals");
    grid.setCell(3, 3, "% of Total Referrals");

    engines.tally({});
    const analysis::CountRows& referrers = startedReferrers(stats);
    long long total = 0;
    CountedTextList urls;
    urls.reserve(referrers.size());
    for (const analysis::CountRow& row : referrers) {
        if (referrers::domainView(row.key()) != "Unknown") total += row.count;
        urls.push_back({row.key(), row.count});
    }
    if (total == 0) throw NoDataError(kNoDataForReport);
    engines.tally(urls);

    std::vector<ReportLine> lines;
    std::vector<long long> counts;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> byName;
    for (const SearchEngineTable::Row& row : engines.rows()) {
        if (row.referrals.empty()) continue;
        auto [it, added] = byName.try_emplace(row.name, lines.size());
        if (added) {
            lines.emplace_back(TextRow{row.name, "", "", ""});
            counts.push_back(0);
        }
        counts[it->second] += countValue(row.referrals);
        lines[it->second].set(2, std::to_string(counts[it->second]));
        lines[it->second].set(3, percentText(static_cast<double>(counts[it->second]), static_cast<double>(total)));
    }
    dashToUnknown(lines);
    sortLines(lines, 2, true);

    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::DisplayValue)
        .remove(1)
        .rightRecord(2)
        .rightSummary(2)
        .rightRecord(3)
        .rightSummary(3)
        .remove(4);
    finishRanked(grid, std::move(lines), context.settings.maxrows, total,
                 {" Search Engine Referrals<br>", " Referrals", " of #,### Unique Shown<br>", 2});
    setTemplateAndChart(grid, html.html(), "2", "0", "-1", "1");
}

void fillSearchKeywordsReport(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines)
{
    static const KeywordTexts texts{
        "Referring Search Engine Keyword Report", "Keyword",
        "The Referring Search Engine Keyword Report tabulates what keywords have been used on the popular search"
        " engines to locate the Web site, for the selected time period."};
    buildKeywordReport(grid, context, engines, false, texts);
}

void fillSearchPhrasesReport(ReportGrid& grid, const ReportContext& context, const SearchEngineTable& engines)
{
    static const KeywordTexts texts{
        "Referring Search Engine Keyword Phrases Report", "Keyword Phrase",
        "The Referring Search Engine Keyword Phrases Report tabulates what keyword phrases have been used on the"
        " popular search engines to locate the Web site, for the selected time period."};
    buildKeywordReport(grid, context, engines, true, texts);
}

} // namespace larkspan
