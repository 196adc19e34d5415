// Reading profile rows from a sheet, the end-of-data scan, and writing the summary sheet,
// through the spreadsheet component.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/KestrelError.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"

using kestrel::ProfileData;
using kestrel::ProfileRange;
using kestrel::SpreadsheetCore;

namespace {

void put(SpreadsheetCore& sheet, int row, int col, double value) {
    sheet.SetRow(row);
    sheet.SetCol(col);
    sheet.SetNumber(value);
}

void putText(SpreadsheetCore& sheet, int row, int col, const std::string& text) {
    sheet.SetRow(row);
    sheet.SetCol(col);
    sheet.SetText(text);
}

double numberAt(SpreadsheetCore& sheet, int row, int col) {
    sheet.SetRow(row);
    sheet.SetCol(col);
    return sheet.Number();
}

}  // namespace

TEST(ReadProfileRows, ReadsTheChosenColumnsOfEachRowInOrder) {
    SpreadsheetCore source;
    for (int row = 1; row <= 6; ++row) {
        put(source, row, 4, row * 10);   // Age in D
        put(source, row, 2, row + 0.5);  // Y1 in B
        putText(source, row, 7, "2e1");  // Y2 in G: a number held as text
    }
    source.SetRow(4);
    source.SetCol(7);
    source.SetText("");  // an empty cell reads 0
    ProfileData data;
    kestrel::readProfileRows(source, ProfileRange{3, 5, 4, 2, 7}, data);
    ASSERT_EQ(data.NumRows, 3);
    EXPECT_EQ(data.AgeData[1], 30);
    EXPECT_EQ(data.Y1Data[3], 5.5);
    EXPECT_EQ(data.Y2Data[1], 20);
    EXPECT_EQ(data.Y2Data[2], 0);
    EXPECT_EQ(data.Curve1.size(), 4u);
}

TEST(ReadProfileRows, BadCellsAndRangesAreErrorsBeforeAnythingIsSized) {
    SpreadsheetCore source;
    putText(source, 3, 2, "n/a");
    ProfileData data;
    try {
        kestrel::readProfileRows(source, ProfileRange{2, 4, 1, 2, 3}, data);
        ADD_FAILURE() << "text read as a number";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_NE(std::string(error.what()).find("B3"), std::string::npos) << error.what();
    }
    EXPECT_THROW(kestrel::readProfileRows(source, ProfileRange{5, 4, 1, 2, 3}, data),
                 kestrel::KestrelError);
    EXPECT_THROW(kestrel::readProfileRows(source, ProfileRange{0, 4, 1, 2, 3}, data),
                 kestrel::KestrelError);
    EXPECT_THROW(kestrel::readProfileRows(source, ProfileRange{1, 2147483647, 1, 2, 3}, data),
                 kestrel::KestrelError);
    EXPECT_THROW(kestrel::readProfileRows(source, ProfileRange{1, 2, 1, 0, 3}, data),
                 kestrel::KestrelError);
    EXPECT_LE(data.AgeData.size(), 4u);
}

TEST(FindLastFilledRow, StopsAtTheFirstEmptyCellFromRowTwo) {
    SpreadsheetCore sheet;
    putText(sheet, 1, 1, "Age");
    for (int row = 2; row <= 40; ++row) put(sheet, row, 1, row);
    putText(sheet, 41 - 20, 1, "   ");  // blanks fill a cell
    put(sheet, 45, 1, 1);               // below the gap at 41
    EXPECT_EQ(kestrel::findLastFilledRow(sheet, 1), 40);
    EXPECT_EQ(kestrel::findLastFilledRow(sheet, 2), 0);
    EXPECT_THROW(kestrel::findLastFilledRow(sheet, 0), kestrel::KestrelError);
}

TEST(SummarySheet, PreparedRenamedClearedAndWritten) {
    SpreadsheetCore target;
    put(target, 100, 20, 1);  // inside the cleared block
    put(target, 101, 1, 2);   // outside it
    kestrel::prepareSummarySheet(target);
    EXPECT_EQ(target.SheetName(1), "Smry");
    EXPECT_EQ(numberAt(target, 100, 20), 0.0);
    EXPECT_EQ(numberAt(target, 101, 1), 2.0);

    ProfileData data;
    data.resize(2);
    data.AgeData = {0, -12.5, 3};
    data.Cutoff = {0, 0.7, 0.7};
    data.CutoffW = {0, 0, 1};
    kestrel::writeSummaryTable(target, data);
    target.SetRow(1);
    target.SetCol(7);
    EXPECT_EQ(target.Text(), "Cutoff (W)");
    EXPECT_EQ(numberAt(target, 2, 1), -12.5);
    EXPECT_EQ(numberAt(target, 3, 6), 0.7);
    EXPECT_EQ(numberAt(target, 3, 7), 1.0);
    EXPECT_EQ(target.workbook().sheets[0].lastCol(), 7);  // T100 was cleared; A..G written
}

TEST(SummarySheet, AFailedRenameIsIgnoredAndTheBlockStillCleared) {
    // A workbook whose second sheet already holds the name "Smry", written to disk and loaded.
    kestrel::Workbook book;
    book.sheets.emplace_back("Data");
    book.sheets.emplace_back("Smry");
    book.sheets[0].setCell(2, 3, kestrel::Cell::makeNumber(9));
    const std::string path = ::testing::TempDir() + "kestrel-smry-clash.xls";
    kestrel::writeWorkbookFile(book, path, kestrel::kFileTypeExcel97);
    SpreadsheetCore target;
    int16_t fileType = 0;
    target.ReadWorkbook(path, fileType);
    std::remove(path.c_str());

    EXPECT_NO_THROW(kestrel::prepareSummarySheet(target));
    EXPECT_EQ(target.SheetName(1), "Data");
    EXPECT_EQ(numberAt(target, 2, 3), 0.0);
}
