// The spreadsheet component's current-cell API: reading numbers from every kind of cell, the
// addressable range, ClearBlock, sheet names, and loading a workbook file.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/SpreadsheetCore.h"

using kestrel::KestrelError;
using kestrel::SheetChange;
using kestrel::SpreadsheetCore;

namespace {

std::string fixture(const std::string& name) {
    return std::string(KESTREL_TEST_DATA_DIR) + "/xls/" + name;
}

void at(SpreadsheetCore& s, int row, int col) {
    s.SetRow(row);
    s.SetCol(col);
}

/// The message of the KestrelError `f` throws; fails the test when it throws nothing.
template <class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const KestrelError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

}  // namespace

TEST(SpreadsheetNumber, ReadsEmptyNumbersAndNumericTextAndRefusesBooleansAndOtherText) {
    SpreadsheetCore s;
    int16_t fileType = 11;
    s.ReadWorkbook(fixture("formulas_biff7.xls"), fileType);
    ASSERT_EQ(s.Sheet(), 2);
    at(s, 10, 10);
    EXPECT_EQ(s.Number(), 0.0) << "an empty cell reads 0";
    at(s, 2, 2);
    EXPECT_EQ(s.Number(), 0.25);
    at(s, 3, 1);
    EXPECT_EQ(s.Number(), 110.0) << "a formula reads its cached result";
    at(s, 5, 1);
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell A5 of sheet \"Données €\" holds \"TRUE\", which is not a number");
    at(s, 5, 2);
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell B5 of sheet \"Données €\" holds \"FALSE\", which is not a number");
    at(s, 6, 2);  // "  42.5 ": the trailing space makes it text, not a number
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell B6 of sheet \"Données €\" holds \"  42.5 \", which is not a number");
    at(s, 3, 3);
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell C3 of sheet \"Données €\" holds \"#DIV/0!\", which is not a number");

    for (const auto& [text, value] : std::vector<std::pair<std::string, double>>{
             {"  42.5", 42.5}, {"-1e3", -1000}, {"+.5", 0.5}, {"7", 7}, {"2.5E-3", 0.0025}}) {
        s.SetText(text);
        EXPECT_EQ(s.Number(), value) << text;
    }
    for (const std::string& text :
         std::vector<std::string>{"1,5", "12 ", "$10", "0x1F", "abc", "-", "1e400"}) {
        s.SetText(text);
        EXPECT_NE(errorOf([&] { s.Number(); }).find("holds \"" + text + "\""), std::string::npos)
            << text;
    }
    // A long or multi-line cell is quoted on one line, cut after 40 characters.
    s.SetText(std::string(32767, 'x'));
    EXPECT_EQ(errorOf([&] { s.Number(); }), "Cell C3 of sheet \"Données €\" holds \"" +
                                                std::string(40, 'x') +
                                                "\u2026\", which is not a number");
    s.SetText("é\nline two");
    EXPECT_NE(errorOf([&] { s.Number(); }).find("holds \"é line two\""), std::string::npos);
}

TEST(SpreadsheetText, ShowsNumbersInGeneralFormatAndEmptiesCellsOnEmptyText) {
    SpreadsheetCore s;
    const std::vector<std::pair<double, std::string>> shown = {
        {100, "100"},          {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
        {-3.5e-7, "-3.5E-07"}, {1e20, "1E+20"},    {123456789.125, "123456789.125"},
        {-0.0001, "-0.0001"},  {0, "0"},           {std::nan(""), "#NUM!"}};
    for (const auto& [value, text] : shown) {
        s.SetNumber(value);
        EXPECT_EQ(s.Text(), text) << value;
    }
    s.SetText("x");
    EXPECT_EQ(s.workbook().sheets[0].cellCount(), 1u);
    s.SetText("");
    EXPECT_EQ(s.Text(), "");
    EXPECT_EQ(s.workbook().sheets[0].cellCount(), 0u) << "an empty text empties the cell";
}

TEST(SpreadsheetRange, RowsColumnsAndSheetsOutsideTheWorkbookAreRefused) {
    SpreadsheetCore s;
    EXPECT_EQ(errorOf([&] { s.SetRow(0); }),
              "Row 0 is outside the sheet: rows run from 1 to 1048576");
    EXPECT_NE(errorOf([&] { s.SetRow(1048577); }), "");
    EXPECT_EQ(errorOf([&] { s.SetCol(16385); }),
              "Column 16385 is outside the sheet: columns run from 1 (A) to 16384 (XFD)");
    EXPECT_NE(errorOf([&] { s.SetCol(-1); }), "");
    EXPECT_EQ(errorOf([&] { s.SetSheet(2); }), "Sheet 2 does not exist: the workbook has 1 sheet");
    EXPECT_NE(errorOf([&] { s.SetSheet(0); }), "");
    EXPECT_NE(errorOf([&] { s.SetMaxRow(0); }), "");
    EXPECT_NE(errorOf([&] { s.SetViewScale(5); }), "");
    EXPECT_NE(errorOf([&] { s.SheetName(3); }), "");
    EXPECT_EQ(s.Row(), 1) << "a refused row leaves the current cell";
    // The far corner is addressable and holds a value without allocating the rows before it.
    at(s, 1048576, 16384);
    s.SetNumber(5);
    EXPECT_EQ(s.Number(), 5.0);
    EXPECT_EQ(s.workbook().sheets[0].cellCount(), 1u);
}

TEST(SpreadsheetClearBlock, EmptiesOnlyTheBlock) {
    SpreadsheetCore s;
    for (int row : {1, 50, 100, 101}) {
        for (int col : {1, 20, 21}) {
            at(s, row, col);
            s.SetNumber(row * 100 + col);
        }
    }
    s.ClearBlock(1, 1, 100, 20, 1);
    std::vector<std::string> left;
    s.workbook().sheets[0].forEachCell(
        [&](int row, int col, const auto&) { left.push_back(kestrel::cellAddress(row, col)); });
    EXPECT_EQ(left, (std::vector<std::string>{"U1", "U50", "U100", "A101", "T101", "U101"}));
    EXPECT_NE(errorOf([&] { s.ClearBlock(0, 1, 100, 20, 1); }), "");
    EXPECT_NE(errorOf([&] { s.ClearBlock(5, 1, 4, 20, 1); }), "");
}

TEST(SpreadsheetSheetName, RenamesWithinExcelsRulesAndRefusesTheRest) {
    SpreadsheetCore s;
    int16_t fileType = 11;
    s.ReadWorkbook(fixture("formulas_biff8.xls"), fileType);
    s.SetSheetName(1, "Smry");
    EXPECT_EQ(s.SheetName(1), "Smry");
    s.SetSheetName(1, "Smry");  // its own name again is fine
    s.SetSheetName(3, std::string(31, 'x'));
    EXPECT_EQ(s.SheetName(3), std::string(31, 'x'));
    // Thirty-one characters, whatever bytes they take in UTF-8.
    const std::string cyrillic = "Сводка данных по профилям всего";
    s.SetSheetName(3, cyrillic);
    EXPECT_EQ(s.SheetName(3), cyrillic);
    for (const std::string& bad :
         {std::string(), std::string(32, 'x'), std::string("a:b"), std::string("a/b"),
          std::string("a\\b"), std::string("a?"), std::string("*"), std::string("[a]")}) {
        EXPECT_NE(errorOf([&] { s.SetSheetName(2, bad); }).find("is not a valid sheet name"),
                  std::string::npos)
            << bad;
    }
    EXPECT_EQ(errorOf([&] { s.SetSheetName(2, "Smry"); }),
              "The workbook already has a sheet named \"Smry\"");
    EXPECT_EQ(s.SheetName(2), "Données €");
}

TEST(SpreadsheetReadWorkbook, LoadsAnyFormatSelectsTheActiveSheetAndSizesEachGrid) {
    SpreadsheetCore s;
    std::vector<SheetChange> changes;
    s.setChangeListener([&](SheetChange c) { changes.push_back(c); });
    at(s, 7, 7);
    int16_t fileType = 11;  // the main window passes 11 for every file
    s.ReadWorkbook(fixture("formulas_biff7.xls"), fileType);
    EXPECT_EQ(fileType, 4);
    EXPECT_EQ(changes, std::vector<SheetChange>{SheetChange::Workbook});
    EXPECT_EQ(s.NumSheets(), 3);
    EXPECT_EQ(s.Sheet(), 2);
    EXPECT_EQ(s.Row(), 1);
    EXPECT_EQ(s.Col(), 1);
    EXPECT_EQ(s.MaxRow(), 6) << "the active sheet's last used row";
    s.SetSheet(1);
    EXPECT_EQ(s.MaxRow(), 2);
    s.SetSheet(3);
    EXPECT_EQ(s.MaxRow(), 1);

    // A failed load names the file and leaves the loaded workbook as it was.
    const std::string missing = fixture("no-such-file.xls");
    EXPECT_EQ(errorOf([&] { s.ReadWorkbook(missing, fileType); }),
              "Cannot read " + missing + ": the file does not exist");
    EXPECT_EQ(s.NumSheets(), 3);
    EXPECT_EQ(s.Sheet(), 3);
    EXPECT_EQ(s.SheetName(2), "Données €");

    s.ReadWorkbook(fixture("xlwt_types.xls"), fileType);
    EXPECT_EQ(fileType, 11);
    EXPECT_EQ(s.Sheet(), 3);
    EXPECT_EQ(s.MaxRow(), 65536);
    at(s, 65536, 1);
    EXPECT_EQ(s.Number(), 7.0);
}

// A workbook another component has just read moves over as a new read would give it, but only
// while the file and the other component's cells are what were read.
TEST(SpreadsheetReadWorkbook, AWorkbookJustReadElsewhereMovesOverOnlyWhileItIsTheSameFile) {
    const std::string copy = ::testing::TempDir() + "/taken_biff7.xls";
    std::filesystem::copy_file(fixture("formulas_biff7.xls"), copy,
                               std::filesystem::copy_options::overwrite_existing);
    SpreadsheetCore read, dialog, taker;
    int16_t fileType = 11, takenType = 11;
    read.ReadWorkbook(copy, fileType);
    dialog.ReadWorkbook(copy, fileType);
    dialog.SetSheet(3);  // looking at another sheet changes nothing that was read
    EXPECT_FALSE(taker.TakeWorkbookFrom(dialog, copy + "x", takenType));
    ASSERT_TRUE(taker.TakeWorkbookFrom(dialog, copy, takenType));
    EXPECT_EQ(takenType, 4);
    EXPECT_EQ(taker.Sheet(), read.Sheet());
    EXPECT_EQ(taker.MaxRow(), read.MaxRow());
    ASSERT_EQ(taker.NumSheets(), read.NumSheets());
    for (int sheet = 1; sheet <= read.NumSheets(); ++sheet) {
        EXPECT_EQ(taker.SheetName(sheet), read.SheetName(sheet));
        EXPECT_EQ(taker.workbook().sheets[sheet - 1].cellCount(),
                  read.workbook().sheets[sheet - 1].cellCount());
    }
    EXPECT_EQ(dialog.NumSheets(), 1);
    EXPECT_EQ(dialog.workbook().sheets[0].cellCount(), 0u);
    EXPECT_FALSE(SpreadsheetCore().TakeWorkbookFrom(dialog, copy, takenType)) << "taken once";

    // A cell typed into it, or the file written since: it is read again instead.
    dialog.ReadWorkbook(copy, fileType);
    at(dialog, 1, 1);
    dialog.SetText("typed");
    EXPECT_FALSE(taker.TakeWorkbookFrom(dialog, copy, takenType));
    dialog.ReadWorkbook(copy, fileType);
    const auto written = std::filesystem::last_write_time(copy);
    std::filesystem::last_write_time(copy, written + std::chrono::seconds(1));
    EXPECT_FALSE(taker.TakeWorkbookFrom(dialog, copy, takenType));
    EXPECT_EQ(dialog.NumSheets(), 3) << "a refusal changes nothing";
    std::filesystem::remove(copy);
}
