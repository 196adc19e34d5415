// The reader on workbooks written by other programs (xlwt, gnumeric's ssconvert), committed
// under tests/data/xls with the script and sources that made them.
#include <gtest/gtest.h>

#include <string>

#include "sheet/core/BiffReader.h"

using kestrel::Cell;
using kestrel::CellKind;
using kestrel::Workbook;
using kestrel::Worksheet;

namespace {

std::string fixture(const std::string& name) {
    return std::string(KESTREL_TEST_DATA_DIR) + "/xls/" + name;
}

Workbook readFixture(const std::string& name, int16_t& fileType) {
    return kestrel::readWorkbookFile(fixture(name), fileType);
}

void expectNumber(const Worksheet& sheet, int row, int col, double value) {
    const Cell* c = sheet.cell(row, col);
    ASSERT_NE(c, nullptr) << sheet.name() << " " << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->kind, CellKind::Number) << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->number, value) << kestrel::cellAddress(row, col);
}

void expectText(const Worksheet& sheet, int row, int col, const std::string& text) {
    const Cell* c = sheet.cell(row, col);
    ASSERT_NE(c, nullptr) << sheet.name() << " " << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->kind, CellKind::Text) << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->text, text) << kestrel::cellAddress(row, col);
}

void expectKind(const Worksheet& sheet, int row, int col, CellKind kind, const std::string& text) {
    const Cell* c = sheet.cell(row, col);
    ASSERT_NE(c, nullptr) << sheet.name() << " " << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->kind, kind) << kestrel::cellAddress(row, col);
    EXPECT_EQ(c->text, text) << kestrel::cellAddress(row, col);
}

}  // namespace

TEST(ReaderOnXlwtWorkbook, ReadsSheetsActiveSheetAndNumbersOfEveryRecordKind) {
    int16_t fileType = 4;  // whatever is passed in, the file's own format is read
    const Workbook book = readFixture("xlwt_types.xls", fileType);
    EXPECT_EQ(fileType, 11);
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name(), "Numbers");
    EXPECT_EQ(book.sheets[1].name(), "Texte");
    EXPECT_EQ(book.sheets[2].name(), "Active");
    EXPECT_EQ(book.activeSheet, 3);

    const Worksheet& numbers = book.sheets[0];
    expectText(numbers, 1, 1, "Age");
    expectText(numbers, 1, 3, "Y data (2)");
    // Whole numbers and two-decimal values arrive as RK numbers (packed in MULRK records),
    // the rest as NUMBER records; all must come back bit for bit.
    for (int row = 2; row <= 201; ++row) {
        const int n = row - 1;
        expectNumber(numbers, row, 1, n * 10);
        expectNumber(numbers, row, 2, n / 100.0);
        expectNumber(numbers, row, 3, n * 1.1e-3);
    }
    expectNumber(numbers, 2, 4, -123456789);
    expectNumber(numbers, 3, 4, 1e300);
    expectNumber(numbers, 4, 4, -2.5e-300);
    EXPECT_EQ(numbers.lastRow(), 201);
    EXPECT_EQ(numbers.cellCount(), 3u + 200u * 3u + 3u);

    const Worksheet& active = book.sheets[2];
    expectText(active, 1, 1, "this sheet is active");
    expectNumber(active, 65536, 1, 7);  // the last row and column an Excel 97 sheet has
    expectNumber(active, 1, 256, 8);
}

TEST(ReaderOnXlwtWorkbook, ReadsUnicodeTextIncludingStringsSplitAcrossContinueRecords) {
    int16_t fileType = 11;
    const Workbook book = readFixture("xlwt_types.xls", fileType);
    const Worksheet& texts = book.sheets.at(1);
    expectText(texts, 1, 1, "Größe ÄÖÜ ß");
    expectText(texts, 2, 1, "日本語のテキスト");
    expectText(texts, 3, 1, "emoji 😀 end");  // a surrogate pair in UTF-16
    std::string longText;
    while (longText.size() < 40000) longText += "Latin text then Ελληνικά κείμενα ";
    // The source cut the text at 12,000 characters; find that many code points.
    size_t bytes = 0;
    for (int chars = 0; chars < 12000; ++chars) {
        bytes += (static_cast<unsigned char>(longText[bytes]) < 0x80) ? 1 : 2;
    }
    expectText(texts, 4, 1, longText.substr(0, bytes));
    expectText(texts, 5, 1, "  42.5 ");
    EXPECT_EQ(texts.cell(6, 1), nullptr) << "an empty text leaves the cell empty";
    expectKind(texts, 1, 2, CellKind::Boolean, "TRUE");
    expectKind(texts, 2, 2, CellKind::Boolean, "FALSE");
    EXPECT_EQ(texts.cell(1, 2)->number, 1.0);
    EXPECT_EQ(texts.cell(2, 2)->number, 0.0);
}

// The same gnumeric workbook saved three ways by ssconvert, formulas recalculated.
struct SavedAs {
    const char* file;
    int16_t fileType;
};

class ReaderOnSsconvertWorkbook : public ::testing::TestWithParam<SavedAs> {};

TEST_P(ReaderOnSsconvertWorkbook, ReadsSheetNamesActiveSheetAndCodePageText) {
    int16_t fileType = 11;
    const Workbook book = readFixture(GetParam().file, fileType);
    EXPECT_EQ(fileType, GetParam().fileType);
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name(), "Notes");
    EXPECT_EQ(book.sheets[1].name(), "Données €");
    EXPECT_EQ(book.sheets[2].name(), "Third");
    EXPECT_EQ(book.activeSheet, 2);
    // The en dash and the euro sign are not Latin 1: Excel 5 text needs its code page.
    expectText(book.sheets[0], 2, 1, "Größe – 25 €");
    expectText(book.sheets[1], 6, 6, "Ende – ÄÖÜ");
    expectText(book.sheets[1], 6, 2, "  42.5 ");
    expectNumber(book.sheets[2], 1, 1, 3);
}

TEST_P(ReaderOnSsconvertWorkbook, ReadsConstantsAndTheCachedResultsOfFormulas) {
    int16_t fileType = 11;
    const Workbook book = readFixture(GetParam().file, fileType);
    const Worksheet& data = book.sheets.at(1);
    expectNumber(data, 2, 1, 100);
    expectNumber(data, 2, 2, 0.25);
    expectNumber(data, 2, 3, -3.5e-7);
    expectNumber(data, 6, 1, 123456789.125);
    expectNumber(data, 3, 1, 110);                       // =A2+10
    expectNumber(data, 3, 2, 0.75);                      // =B2*3
    expectKind(data, 3, 3, CellKind::Error, "#DIV/0!");  // =1/0
    expectText(data, 4, 1, "big");                       // text result, in a STRING record
    expectKind(data, 4, 2, CellKind::Boolean, "TRUE");   // =A3>100
    EXPECT_EQ(data.cell(4, 3), nullptr) << "a formula giving \"\" leaves the cell empty";
    expectKind(data, 5, 1, CellKind::Boolean, "TRUE");
    expectKind(data, 5, 2, CellKind::Boolean, "FALSE");
    expectKind(data, 5, 3, CellKind::Error, "#N/A");
    EXPECT_EQ(data.cellCount(), 17u);
}

INSTANTIATE_TEST_SUITE_P(SavedThreeWays, ReaderOnSsconvertWorkbook,
                         ::testing::Values(SavedAs{"formulas_biff8.xls", 11},
                                           SavedAs{"formulas_biff7.xls", 4},
                                           SavedAs{"formulas_dual.xls", 11}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// Gnumeric writes Excel 5/95 files whose CODEPAGE record says 1200 (UTF-16) while their byte
// strings are Windows-1252, as in every Excel 5 file: names and texts must read as written.
TEST(ReaderOnExcel5WithUtf16CodePage, ReadsByteStringsAsWindows1252) {
    int16_t fileType = 11;
    const kestrel::Workbook book = kestrel::readWorkbookFile(
        std::string(KESTREL_TEST_DATA_DIR) + "/import/profiles_excel5.xls", fileType);
    EXPECT_EQ(fileType, 4);  // Excel 5, whatever code was passed in
    ASSERT_GE(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].name(), "Notes");
    EXPECT_EQ(book.sheets[1].name(), "Profiles");
    const kestrel::Cell* heading = book.sheets[1].cell(1, 1);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text, "Age");
}
