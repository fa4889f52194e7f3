#include "reports/SearchEngineTable.h"

#include "common/CellTable.h"
#include "common/Text.h"
#include "common/TextPatternSet.h"
#include "reports/KeywordExtraction.h"

namespace larkspan {

namespace {
void appendListed(std::string& list, const std::string& entry)
{
    if (!list.empty()) list += ',';
    list += entry;
}
} // namespace

void SearchEngineTable::load(const std::string& path)
{
    rows_.clear();
    CellTable table;
    if (table.loadIfReadable(path)) assign(table);
}

void SearchEngineTable::assign(const CellTable& table)
{
    rows_.clear();
    for (int r = 0; r < table.rowCount(); ++r) {
        addRow(table.cell(0, r), table.cell(1, r), table.cell(2, r));
        rows_.back().referrals = table.cell(3, r);
        rows_.back().keywords = table.cell(4, r);
        rows_.back().phrases = table.cell(5, r);
    }
}

void SearchEngineTable::writeCollected(CellTable& table) const
{
    if (table.columnCount() < 6) table.resize(6, table.rowCount());
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const int row = static_cast<int>(r);
        table.setCell(3, row, rows_[r].referrals);
        table.setCell(4, row, rows_[r].keywords);
        table.setCell(5, row, rows_[r].phrases);
    }
}

void SearchEngineTable::addRow(std::string marker, std::string parameters, std::string name)
{
    Row row;
    row.marker = std::move(marker);
    row.parameters = std::move(parameters);
    row.name = std::move(name);
    rows_.push_back(std::move(row));
}

void SearchEngineTable::tally(const CountedTextList& referrers)
{
    // One pass over each URL finds every engine whose marker it holds; the
    // URLs are read in list order, so each engine's words keep that order.
    std::vector<std::string_view> markers;
    std::vector<std::vector<std::string>> parameters;
    for (Row& row : rows_) {
        row.referrals.clear();
        row.keywords.clear();
        row.phrases.clear();
        markers.push_back(row.marker);
        parameters.push_back(text::split(row.parameters, ';'));
    }
    const TextPatternSet markerSet(markers);
    std::vector<long long> referrals(rows_.size(), 0);
    std::vector<bool> matched(rows_.size(), false);
    std::vector<std::size_t> found;
    for (const CountedText& referrer : referrers) {
        markerSet.allFound(referrer.text, found);
        for (const std::size_t r : found) {
            matched[r] = true;
            referrals[r] += referrer.count;
            const keywords::SearchWords words = keywords::extract(referrer.text, parameters[r]);
            if (!words.keyword.empty()) appendListed(rows_[r].keywords, words.keyword);
            if (!words.phrase.empty()) appendListed(rows_[r].phrases, words.phrase);
        }
    }
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (matched[r]) rows_[r].referrals = std::to_string(referrals[r]);
}

} // namespace larkspan
