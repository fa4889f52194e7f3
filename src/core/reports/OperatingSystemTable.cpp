#include "reports/OperatingSystemTable.h"

#include "common/CellTable.h"

namespace larkspan {

void OperatingSystemTable::load(const std::string& path)
{
    rows_.clear();
    CellTable table;
    if (table.loadIfReadable(path)) assign(table);
}

void OperatingSystemTable::assign(const CellTable& table)
{
    rows_.clear();
    for (int r = 0; r < table.rowCount(); ++r)
        addRow(table.cell(0, r), table.cell(1, r));
}

} // namespace larkspan
