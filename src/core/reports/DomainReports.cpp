#include "reports/DomainReports.h"

#include "analysis/StatisticsTable.h"
#include "common/NumberPattern.h"
#include "common/Text.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReferrerRules.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateCells.h"

#include <unordered_map>

namespace larkspan {

namespace {

using analysis::CountRow;
using analysis::CountRows;

struct DomainTexts {
    const char* title;
    const char* units;
    const char* heads[3];
    const char* about;
    const char* percentPattern;
    const char* firstNoun;
    const char* summaryPattern;
    bool recordNoWrap;
};

// The domain working table: one row per domain or list entry, found again
// without regard to case.
class DomainRows {
  public:
    explicit DomainRows(long long total, const char* pattern) : total_(total), pattern_(pattern) {}

    // The row of name, made with the count 0 when it is new.
    std::size_t rowOf(std::string_view name)
    {
        if (const auto found = index_.find(name); found != index_.end()) return found->second;
        index_.emplace(std::string(name), names_.size());
        names_.emplace_back(name);
        counts_.push_back(0);
        return names_.size() - 1;
    }
    void add(std::size_t row, long long count) { counts_[row] += count; }

    // Lines with the padded count in column 5, sorted by it, largest first.
    std::vector<ReportLine> lines() const
    {
        std::vector<ReportLine> out;
        out.reserve(names_.size());
        for (std::size_t i = 0; i < names_.size(); ++i)
            out.emplace_back(
                TextRow{names_[i], std::to_string(counts_[i]),
                        percentText(static_cast<double>(counts_[i]), static_cast<double>(total_), pattern_), "", "",
                        countKey(counts_[i])});
        sortLines(out, 5, true);
        return out;
    }

  private:
    long long total_;
    const char* pattern_;
    std::vector<std::string> names_;
    std::vector<long long> counts_;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> index_;
};

const CountRows& startReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                             const DomainTexts& t)
{
    startReportGrid(grid, context, t.title, std::nullopt, t.units, t.about);
    for (int c = 0; c < 3; ++c)
        grid.setCell(c, 3, t.heads[c]);
    if (stats.counter(analysis::StatList::Referrers).value_or(-1) == -1) throw NoDataError(kDataNotLogged);
    return stats.referrers();
}

// Steps shared by the three reports once the rows are counted: template,
// empty rows out, top-N limit, summary line, chart row.
void finishDomainReport(ReportGrid& grid, const ReportContext& context, std::vector<ReportLine> lines, long long total,
                        const DomainTexts& t, bool dropBlankNames)
{
    TemplateCells html(reports::standardHtmlTemplate());
    html.wideSummary().firstCell(TemplateCells::FirstCell::PlainLeft).rightHead(1).rightSummary(1);
    if (t.recordNoWrap)
        html.recordRightNoWrap(1);
    else
        html.rightRecord(1);
    html.right(2).remove(3).remove(4);

    std::erase_if(lines, [dropBlankNames](const ReportLine& line) {
        return dropBlankNames ? text::trim(line.cell(0)).empty() : line.cell(0).empty();
    });
    if (lines.empty()) throw NoDataError(kNoDataForReport);
    const long long unique = static_cast<long long>(lines.size());
    grid.appendLines(std::move(lines));
    applyTopN(grid, context.settings.maxrows);
    long long shown = 0;
    for (const ReportLine& line : grid.details())
        shown += countValue(line.cell(1));

    grid.setCell(0, 4,
                 std::to_string(shown) + t.firstNoun + std::to_string(grid.detailCount()) +
                     formatNumber(static_cast<double>(unique), " of #,### Unique Shown<br>") +
                     percentText(static_cast<double>(shown), static_cast<double>(total), t.summaryPattern) +
                     std::to_string(total) + " Referrals");
    setTemplateAndChart(grid, html.html(), "1", "0", "-1", "1");
}

// Advertising and affiliate reports: every list entry is a row, with the
// referrals of the URLs that the entry matches.
void buildListReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                     const std::vector<std::string>& entries, const DomainTexts& t,
                     bool (*matches)(std::string_view, std::string_view), bool dropBlankNames)
{
    const CountRows& referrers = startReport(stats, grid, context, t);
    long long total = 0;
    for (const CountRow& row : referrers)
        if (referrers::domainView(row.key()) != "Unknown") total += row.count;
    if (total == 0) throw NoDataError(kNoDataForReport);

    DomainRows rows(total, t.percentPattern);
    for (const std::string& entry : entries) {
        const std::size_t row = rows.rowOf(entry);
        long long sum = 0;
        for (const CountRow& referrer : referrers)
            if (matches(referrer.key(), entry)) sum += referrer.count;
        rows.add(row, sum);
    }
    finishDomainReport(grid, context, rows.lines(), total, t, dropBlankNames);
}

} // namespace

void fillReferringDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const referrers::ExcludedDomains& excluded)
{
    static const DomainTexts texts{
        "Referring Domain Report",
        "Referrals",
        {"Referring Domain", "# of Referrals", "% of Total Referrals"},
        "The Referring Domain Report tabulates referrals made by domains pointing to your site.",
        "##0.0##%",
        " Referring Domains<br>",
        "##0.### % of all ",
        false};
    const CountRows& referrers = startReport(stats, grid, context, texts);

    // Pieces of the referrers' texts, which live as long as the table.
    std::vector<std::string_view> domains;
    domains.reserve(referrers.size());
    long long total = 0;
    for (const CountRow& row : referrers) {
        domains.push_back(referrers::domainView(row.key()));
        if (domains.back() != "Unknown" && !excluded.contains(domains.back())) total += row.count;
    }
    if (total == 0) throw NoDataError(kNoDataForReport);

    DomainRows rows(total, texts.percentPattern);
    for (std::size_t i = 0; i < referrers.size(); ++i)
        if (domains[i] != "Unknown" && !excluded.contains(domains[i]))
            rows.add(rows.rowOf(domains[i]), referrers[i].count);
    finishDomainReport(grid, context, rows.lines(), total, texts, false);
}

void fillAdvertisingDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid,
                                  const ReportContext& context, const std::vector<std::string>& advertisers)
{
    if (advertisers.empty()) throw NoDataError("No Advertisers Defined");
    static const DomainTexts texts{
        "Referring Advertising Domain Report",
        "Referrals Made from Advertising Domains",
        {"Advertising Domain", "# of Referrals", "% of Total Referrals"},
        "The Referring Advertising Domain Report tabulates the referrals from domains you have designated as"
        " Advertising Domains pointing to your site.\r\nResults are ordered by number of referrals they made.",
        "#,##0.0##%",
        " Referring Advertisers<br>",
        "##0.## % of all ",
        false};
    buildListReport(stats, grid, context, advertisers, texts, &referrers::advertiserMatches, false);
}

void fillAffiliateDomainsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const std::vector<std::string>& affiliates)
{
    if (affiliates.empty()) throw NoDataError("No Affiliates Defined");
    static const DomainTexts texts{
        "Referring Affiliate Domain Report",
        "Referrals Made from Affiliate Domains",
        {"Affiliate Domains", "# of Referrals", "% of Total Referrals"},
        "The Referring Affiliate Domain Report tabulates the referrals from domains you have designated as"
        " Affiliate Domains pointing to your site.\r\nResults are ordered by number of referrals they made.",
        "##0.0##%",
        " Referrals from Affiliate Domains<br>",
        "##0.### % of all ",
        true};
    buildListReport(stats, grid, context, affiliates, texts, &referrers::affiliateMatches, true);
}

} // namespace larkspan
