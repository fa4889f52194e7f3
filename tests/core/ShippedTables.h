#pragma once

#include <filesystem>
#include <string>

// Path of a table shipped in the source tree's data/syss folder.
inline std::string shippedTable(const std::string& name)
{
    return (std::filesystem::path(LARKSPAN_TEST_DATA_DIR).parent_path().parent_path() / "data" / "syss" / name)
        .string();
}
