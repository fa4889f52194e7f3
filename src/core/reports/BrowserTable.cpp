#include "reports/BrowserTable.h"

#include "common/CellTable.h"
#include "common/KeyValueTable.h"
#include "common/Text.h"

namespace larkspan {

void BrowserTable::load(const std::string& path)
{
    CellTable table;
    if (table.loadIfReadable(path))
        assign(table);
    else
        assign(CellTable());
}

void BrowserTable::assign(const CellTable& table)
{
    rows_.clear();
    for (int r = 0; r < table.rowCount(); ++r)
        appendRow(table.cell(0, r), table.cell(1, r), readBooleanText(table.cell(2, r)));
    indexMarkers();
}

void BrowserTable::addRow(std::string_view marker, std::string family, bool robot)
{
    appendRow(marker, std::move(family), robot);
    indexMarkers();
}

void BrowserTable::appendRow(std::string_view marker, std::string family, bool robot)
{
    if (marker.empty()) return; // would match every agent
    rows_.push_back({text::toLower(marker), std::move(family), robot});
}

void BrowserTable::indexMarkers()
{
    std::vector<std::string_view> markers;
    markers.reserve(rows_.size());
    for (const Row& row : rows_)
        markers.push_back(row.marker);
    markers_ = std::make_shared<TextPatternSet>(markers);
}

const BrowserTable::Row* BrowserTable::match(std::string_view agent) const
{
    const std::size_t first = markers_->firstFound(agent);
    return first == TextPatternSet::npos ? nullptr : &rows_[first];
}

} // namespace larkspan
