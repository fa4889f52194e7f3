#include "reports/BrowserTable.h"

#include "common/CellTable.h"
#include "common/KeyValueTable.h"
#include "common/Text.h"

namespace larkspan {

void BrowserTable::load(const std::string& path)
{
    rows_.clear();
    CellTable table;
    if (table.loadIfReadable(path)) assign(table);
}

void BrowserTable::assign(const CellTable& table)
{
    rows_.clear();
    for (int r = 0; r < table.rowCount(); ++r)
        addRow(table.cell(0, r), table.cell(1, r), readBooleanText(table.cell(2, r)));
}

void BrowserTable::addRow(std::string_view marker, std::string family, bool robot)
{
    if (marker.empty()) return; // would match every agent
    rows_.push_back({text::toLower(marker), std::move(family), robot});
}

const BrowserTable::Row* BrowserTable::match(std::string_view agent) const
{
    if (rows_.empty()) return nullptr;
    const std::string lowered = text::toLower(agent);
    for (const Row& row : rows_)
        if (lowered.find(row.marker) != std::string::npos) return &row;
    return nullptr;
}

} // namespace larkspan
