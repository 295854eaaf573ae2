#include <gtest/gtest.h>

#include "catalogue/drive_table.h"

using namespace verdan;

class DriveTableTest : public ::testing::Test {
protected:
    DriveTable table;
    int addDrive(const std::string& root, const std::string& name, const std::string& serial) {
        int r = table.addRow();
        table.setCell(r, 0, root);
        table.setCell(r, 1, name);
        table.setCell(r, 3, serial);
        return r;
    }
};

TEST_F(DriveTableTest, StartsWithHeadersAndOneBlankRow) {
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.cell(0, 0), "drive");
    EXPECT_EQ(table.cell(0, 5), "total");
    EXPECT_EQ(table.cell(1, 0), "");
    table.clearToHeader();
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_FALSE(table.hasDriveRows());
    EXPECT_EQ(table.cell(7, 0), "") << "outside the table reads blank";
}

TEST_F(DriveTableTest, ColumnsAreFoundByTrimmedExactHeader) {
    EXPECT_EQ(table.indice_col1("drive"), 0);
    EXPECT_EQ(table.indice_col1("  NS-disque "), 3);
    EXPECT_EQ(table.indice_col1("total"), 5);
    EXPECT_EQ(table.indice_col1("Drive"), -1);
    EXPECT_EQ(table.indice_col1(""), -1);
    EXPECT_EQ(table.indice_col1("   "), -1);
    table.setCell(0, 2, " type-disque  ");
    EXPECT_EQ(table.indice_col1("type-disque"), 2);
}
