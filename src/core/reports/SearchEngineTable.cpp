#include "reports/SearchEngineTable.h"

#include "common/CellTable.h"
#include "common/Text.h"
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
    // Lower-case every URL once; each row then searches with a plain find.
    std::vector<std::string> lowered;
    lowered.reserve(referrers.size());
    for (const CountedText& referrer : referrers)
        lowered.push_back(text::toLower(referrer.text));

    for (Row& row : rows_) {
        row.referrals.clear();
        row.keywords.clear();
        row.phrases.clear();
        if (row.marker.empty()) continue;
        const std::string marker = text::toLower(row.marker);
        const std::vector<std::string> parameters = text::split(row.parameters, ';');
        long long referrals = 0;
        bool matched = false;
        for (std::size_t i = 0; i < referrers.size(); ++i) {
            if (lowered[i].find(marker) == std::string::npos) continue;
            matched = true;
            referrals += referrers[i].count;
            const keywords::SearchWords words = keywords::extract(referrers[i].text, parameters);
            if (!words.keyword.empty()) appendListed(row.keywords, words.keyword);
            if (!words.phrase.empty()) appendListed(row.phrases, words.phrase);
        }
        if (matched) row.referrals = std::to_string(referrals);
    }
}

} // namespace larkspan
