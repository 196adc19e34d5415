// Profile sheet access where kestrel-batch's end-to-end runs cannot reach: hostile ranges and a
// summary sheet whose renaming fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/ProfileColumns.h"
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
    for (int row = 2; row <= 4; ++row) putText(source, row, 1, std::to_string(row));
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

TEST(ReadProfileRows, EmptyAgesAndColumnsWithoutNumbersAreRefusedEmptyProfileCellsCounted) {
    // Ages in rows 2 to 6 of sheet "Samples"; Y data (1) lacks row 3, Y data (2) rows 4 and 6.
    SpreadsheetCore source;
    source.SetSheetName(1, "Samples");
    for (int row = 2; row <= 6; ++row) {
        putText(source, row, 1, std::to_string(100 * row));
        if (row != 3) putText(source, row, 2, std::to_string(row));
        if (row != 4 && row != 6) putText(source, row, 3, std::to_string(2 * row));
    }
    const auto refusal = [&](const ProfileRange& range) {
        ProfileData data;
        data.resize(1);
        data.AgeData[1] = 42;
        try {
            kestrel::readProfileRows(source, range, data);
        } catch (const kestrel::KestrelError& error) {
            EXPECT_EQ(data.AgeData.at(1), 42) << "the previous rows are kept";
            return std::string(error.what());
        }
        return std::string("no error");
    };
    // The To row runs past the data: the first empty age is named, nothing is read.
    EXPECT_EQ(refusal({2, 4003, 1, 2, 3}),
              "Cell A7 of sheet \"Samples\" is empty: the data end before row 7 (Find end of "
              "file sets To row to the last filled row).");
    // A gap in the ages is no end of the data.
    putText(source, 4, 1, "");
    EXPECT_EQ(refusal({2, 6, 1, 2, 3}),
              "Cell A4 of sheet \"Samples\" is empty, but later rows hold ages: every row from 2 "
              "to 6 needs an age.");
    putText(source, 4, 1, "400");
    // The only later age is in the To row itself.
    SpreadsheetCore gap;
    gap.SetSheetName(1, "Gap");
    for (int row : {2, 4}) putText(gap, row, 1, std::to_string(100 * row));
    try {
        ProfileData data;
        kestrel::readProfileRows(gap, ProfileRange{2, 4, 1, 2, 3}, data);
        ADD_FAILURE() << "an empty age read";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_STREQ(error.what(),
                     "Cell A3 of sheet \"Gap\" is empty, but later rows hold ages: every row from "
                     "2 to 4 needs an age.");
    }
    // An empty (or wrongly lettered) Y column against a full one: never D = 1 and "yes".
    EXPECT_EQ(refusal({2, 6, 1, 2, 5}),
              "Column E of sheet \"Samples\" (Y data (2)) holds no number in rows 2 to 6: check "
              "the Y data (2) column and the rows.");
    EXPECT_EQ(refusal({3, 3, 1, 2, 3}),
              "Column B of sheet \"Samples\" (Y data (1)) holds no number in row 3: check the "
              "Y data (1) column and the rows.");

    ProfileData data;
    const kestrel::EmptyProfileCells empty =
        kestrel::readProfileRows(source, ProfileRange{2, 6, 1, 2, 3}, data);
    EXPECT_EQ(empty.total(), 3);
    EXPECT_EQ(empty.note(), "3 empty profile cells read as 0 (column B: 1, column C: 2)");
    EXPECT_EQ(data.Y1Data, (std::vector<double>{0, 2, 0, 4, 5, 6}));
    EXPECT_EQ(data.Y2Data, (std::vector<double>{0, 4, 6, 0, 10, 0}));
    EXPECT_EQ(kestrel::readProfileRows(source, ProfileRange{2, 2, 1, 2, 3}, data).note(), "");
}

TEST(ReadProfileColumns, SamplesAreNamedAboveTheGrainsRowAndEveryColumnNeedsANumber) {
    // Row 1 names, row 2 grain counts, data from row 3; column D has no name.
    SpreadsheetCore source;
    source.SetSheetName(1, "Many");
    putText(source, 1, 2, "S01");
    putText(source, 1, 3, "S02");
    source.SetRow(2);
    for (int col = 2; col <= 4; ++col) {
        source.SetCol(col);
        source.SetNumber(100 + col);
    }
    for (int row = 3; row <= 5; ++row) {
        putText(source, row, 1, std::to_string(row));
        for (int col = 2; col <= 4; ++col) {
            if (!(row == 4 && col == 3)) putText(source, row, col, std::to_string(row * col));
        }
    }
    kestrel::ProfileColumnsRange range{3, 5, {2, 3, 4}, 2, std::nullopt};
    kestrel::EmptyProfileCells empty;
    kestrel::ProfileSamples samples = kestrel::readProfileColumns(source, range, {}, &empty);
    EXPECT_EQ(samples.names, (std::vector<std::string>{"S01", "S02", "D"}));
    EXPECT_EQ(samples.grains, (std::vector<int32_t>{102, 103, 104}));
    EXPECT_EQ(empty.note(), "1 empty profile cell read as 0 (column C: 1)");
    // The same without the Grains row: its numbers name nothing either.
    range.grainsRow.reset();
    samples = kestrel::readProfileColumns(source, range);
    EXPECT_EQ(samples.names, (std::vector<std::string>{"S01", "S02", "D"}));

    // With the Age column named, a range past the data is refused as for two profiles.
    range.ageCol = 1;
    range.ToRow = 2005;
    try {
        kestrel::readProfileColumns(source, range);
        ADD_FAILURE() << "rows past the data were compared";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_STREQ(error.what(),
                     "Cell A6 of sheet \"Many\" is empty: the data end before row 6 (Find end of "
                     "file sets To row to the last filled row).");
    }
    range.ToRow = 5;
    range.columns = {2, 6, 3};
    try {
        kestrel::readProfileColumns(source, range);
        ADD_FAILURE() << "a column without numbers was compared";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_STREQ(error.what(),
                     "Column F of sheet \"Many\" holds no number in rows 3 to 5: check the "
                     "profile columns and the rows.");
    }
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
