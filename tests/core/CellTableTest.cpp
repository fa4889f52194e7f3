#include "common/CellTable.h"
#include "common/Error.h"
#include "common/KeyValueTable.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

using namespace larkspan;
using larkspan::testing::TempFolder;

TEST(CellTable, WritesSizeWidthsAndNonEmptyCellsRowByRow)
{
    CellTable table(2, 3);
    table.setColumnWidth(0, 106);
    table.setColumnWidth(1, 357);
    table.setCell(0, 0, "url");
    table.setCell(1, 0, "http://example.com");
    table.setCell(0, 2, "admin");
    EXPECT_EQ(table.serialize(),
              "2,3\r\ncw 0,106\r\ncw 1,357\r\n0,0,url\r\n1,0,http://example.com\r\n0,2,admin\r\n");
}

TEST(CellTable, RoundTripKeepsCommasTabsAndLineBreaks)
{
    TempFolder temp;
    CellTable table(2, 3);
    table.setCell(1, 0, "a,b,c");
    table.setCell(1, 1, "line one\r\nline two");
    table.setCell(0, 2, "tab\there");
    table.setCell(1, 2, "only\nlf");
    const std::string path = temp.file("table.rpf");
    table.save(path);
    CellTable loaded;
    loaded.load(path);
    EXPECT_EQ(loaded.columnCount(), 2);
    EXPECT_EQ(loaded.rowCount(), 3);
    EXPECT_EQ(loaded.cell(1, 0), "a,b,c");
    EXPECT_EQ(loaded.cell(1, 1), "line one\r\nline two");
    EXPECT_EQ(loaded.cell(0, 2), "tab\there");
    EXPECT_EQ(loaded.cell(1, 2), "only\nlf");
}

TEST(CellTable, ReaderSkipsWidthLinesAndCellsOutsideTheTable)
{
    CellTable table;
    table.parse("2,2\r\ncw 0,5\r\ncw 1,5\r\n0,0,key\r\n5,0,far\r\n1,9,far\r\n1,1,x,y\r\n", "t");
    EXPECT_EQ(table.cell(0, 0), "key");
    EXPECT_EQ(table.cell(1, 1), "x,y");
    EXPECT_EQ(table.rowCount(), 2);
}

TEST(CellTable, FailuresCarryTheirMessages)
{
    TempFolder temp;
    CellTable table;
    const std::string missing = temp.file("missing.rpf");
    try {
        table.load(missing);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    const std::string empty = temp.write("empty.rpf", "");
    const std::string zero = temp.write("zero.rpf", "0,5\r\n");
    const std::string garbage = temp.write("garbage.rpf", "hello\r\n");
    for (const auto& path : {empty, zero, garbage}) {
        try {
            table.load(path);
            FAIL() << path;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "File contains no data or corrupt file " + path);
        }
    }
    try {
        CellTable(1, 1).save(temp.file("no/such/folder/t.rpf"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create " + temp.file("no/such/folder/t.rpf"));
    }
}

TEST(CellTable, LoadIfReadableLeavesAnEmptyTableInsteadOfThrowing)
{
    TempFolder temp;
    CellTable table(2, 2);
    table.setCell(1, 1, "stale");
    EXPECT_FALSE(table.loadIfReadable(temp.file("missing.lklf")));
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_FALSE(table.loadIfReadable(temp.write("garbage.lklf", "hello\r\n")));
    EXPECT_EQ(table.rowCount(), 0);

    CellTable good(2, 1);
    good.setCell(1, 0, "kept");
    const std::string path = temp.file("good.lklf");
    good.save(path);
    ASSERT_TRUE(table.loadIfReadable(path));
    EXPECT_EQ(table.cell(1, 0), "kept");
}

TEST(BooleanText, ReadingsAndWriting)
{
    for (const char* yes : {"TRUE", "true", "Yes", "y", "T", "1"}) EXPECT_TRUE(readBooleanText(yes)) << yes;
    for (const char* no : {"FALSE", "no", "0", "", "2", "yes "}) EXPECT_FALSE(readBooleanText(no)) << no;
    EXPECT_STREQ(booleanText(true), "TRUE");
    EXPECT_STREQ(booleanText(false), "FALSE");
}

TEST(KeyValueTable, FirstMatchingRowWinsRegardlessOfCase)
{
    KeyValueTable table;
    table.cells().parse("2,3\r\n0,0,URL\r\n1,0,first\r\n0,1,url\r\n1,1,second\r\n0,2,custom\r\n1,2,kept\r\n", "t");
    EXPECT_EQ(table.getText("url"), "first");
    table.setText("Url", "changed");
    EXPECT_EQ(table.valueAt(0), "changed");
    EXPECT_EQ(table.valueAt(1), "second");
    table.setBoolean("gengraph", true);
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.keyAt(3), "gengraph");
    EXPECT_EQ(table.getText("custom"), "kept");
}

TEST(KeyValueTable, IntegersAndMissingKeys)
{
    KeyValueTable table;
    EXPECT_EQ(table.getInteger("pre-date"), 0);
    EXPECT_EQ(table.getText("missing"), "");
    EXPECT_FALSE(table.getBoolean("missing"));
    table.setInteger("start", 36526);
    EXPECT_EQ(table.getInteger("start"), 36526);
    table.setText("end", "12/31/2000");
    EXPECT_FALSE(table.getInteger("end").has_value());
}

TEST(KeyValueTable, EmptyValuesWriteOnlyTheKeyLine)
{
    KeyValueTable table;
    table.setText("url", "");
    table.setText("admin", "me");
    EXPECT_EQ(table.cells().serialize(), "2,2\r\ncw 0,106\r\ncw 1,357\r\n0,0,url\r\n0,1,admin\r\n1,1,me\r\n");
}
