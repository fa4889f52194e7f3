#include "common/CellTable.h"
#include "common/Error.h"

#include <gtest/gtest.h>

using namespace larkspan;

// Inputs found by fuzzing the reader.
TEST(CellTableCorruptInput, AHugeDeclaredSizeIsRejectedInsteadOfAllocated)
{
    for (const char* text : {"6,5555555\r\n", "100000,11\r\n", "1,1000001\r\n", "1000,1001\r\n"}) {
        CellTable table;
        try {
            table.parse(text, "seng.lklf");
            FAIL() << text;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "File contains no data or corrupt file seng.lklf");
        }
    }
    CellTable largest;
    largest.parse("1000,1000\r\n999,999,last\r\n", "big.lklf");
    EXPECT_EQ(largest.cell(999, 999), "last");
}
