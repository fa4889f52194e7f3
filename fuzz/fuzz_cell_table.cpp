// Arbitrary bytes as a cell-table file. The reader either rejects the text
// with its corrupt-file error or yields a table whose written form reads
// back to exactly the same written form; anything else (a crash, another
// exception, a sanitizer report, a drifting round trip) is a fault.

#include "common/CellTable.h"
#include "common/Error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    larkspan::CellTable table;
    try {
        table.parse(content, "fuzz.lklf");
    } catch (const larkspan::Error&) {
        return 0;
    }
    const std::string written = table.serialize();
    larkspan::CellTable again;
    again.parse(written, "fuzz.lklf");
    if (again.serialize() != written) std::abort();
    if (again.columnCount() != table.columnCount() || again.rowCount() != table.rowCount()) std::abort();
    return 0;
}
