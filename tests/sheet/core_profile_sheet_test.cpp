// Profile sheet access where kestrel-batch's end-to-end runs cannot reach: hostile ranges and a
// summary sheet whose renaming fails.
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
