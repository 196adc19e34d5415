// What we write, read back by independent readers: python3-xlrd for every cell and gnumeric's
// ssconvert as a second opinion, in both Excel 97 and Excel 5 format.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core_writer_support.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/SpreadsheetCore.h"

namespace kestrel {
namespace {
using namespace writertest;

struct FormatCase {
    int16_t code;
    const char* name;
    int maxRows;
};

class WriterRoundTrip : public ::testing::TestWithParam<FormatCase> {
  protected:
    void SetUp() override {
        ASSERT_EQ(xlrdMissingReason(), "") << "the read-back needs python3-xlrd (scripts/deps.sh)";
    }
    std::string save(const Workbook& book) {
        const std::string path = m_dir.file(std::string("book-") + GetParam().name + ".xls");
        writeWorkbookFile(book, path, GetParam().code);
        return path;
    }
    bool excel5() const { return GetParam().code == 4; }
    TempDir m_dir;
};

TEST_P(WriterRoundTrip, SheetNamesOrderAndActiveTabSurvive) {
    Workbook book;
    book.sheets.emplace_back("Smry");
    book.sheets.emplace_back("Größe ÄÖÜ");  // Windows-1252 holds these, so both formats do
    book.sheets.emplace_back("Empty");
    book.sheets[0].setCell(1, 1, Cell::makeText("first"));
    book.sheets[1].setCell(2, 3, Cell::makeNumber(7));
    book.activeSheet = 2;

    const XlrdBook read = readWithXlrd(save(book));
    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.sheets[0].name, "Smry");
    EXPECT_EQ(read.sheets[1].name, "Größe ÄÖÜ");
    EXPECT_EQ(read.sheets[2].name, "Empty");
    EXPECT_FALSE(read.sheets[0].selected);
    EXPECT_TRUE(read.sheets[1].selected);
    EXPECT_FALSE(read.sheets[2].selected);
    EXPECT_TRUE(read.sheets[2].cells.empty());
    EXPECT_EQ(read.sheets[1].cells.at({2, 3}).value, "7.0");
    EXPECT_EQ(read.biffVersion >= 80, !excel5());
}

TEST_P(WriterRoundTrip, NumbersKeepEveryBit) {
    const std::vector<double> values = {0.0,
                                        -0.0,
                                        0.1,
                                        1.0 / 3.0,
                                        -2.5e-300,
                                        std::numeric_limits<double>::denorm_min(),
                                        DBL_MAX,
                                        -DBL_MIN,
                                        9007199254740993.0,  // 2^53 + 1, rounded to a double
                                        123456789.123456789,
                                        -1.0};
    Workbook book;
    book.sheets.emplace_back("Numbers");
    for (size_t i = 0; i < values.size(); ++i) {
        book.sheets[0].setCell(static_cast<int>(i) + 1, 2, Cell::makeNumber(values[i]));
    }
    const XlrdBook read = readWithXlrd(save(book));
    ASSERT_EQ(read.sheets.size(), 1u);
    for (size_t i = 0; i < values.size(); ++i) {
        const XlrdCell& cell = read.sheets[0].cells.at({static_cast<int>(i) + 1, 2});
        ASSERT_EQ(cell.kind, 'N') << "row " << i + 1;
        EXPECT_EQ(bitsOf(std::strtod(cell.value.c_str(), nullptr)), bitsOf(values[i]))
            << "row " << i + 1 << ": wrote " << values[i] << ", xlrd read " << cell.value;
    }
}

TEST_P(WriterRoundTrip, TextsBooleansAndErrorValues) {
    Workbook book;
    book.sheets.emplace_back("Kinds");
    Worksheet& s = book.sheets[0];
    s.setCell(1, 1, Cell::makeText("Age"));
    s.setCell(1, 2, Cell::makeText("Difference (W)"));
    s.setCell(1, 3, Cell::makeText("tab\there, \"quotes\"\nand a new line"));
    s.setCell(2, 1, Cell::makeBoolean(true));
    s.setCell(2, 2, Cell::makeBoolean(false));
    const std::vector<std::pair<std::string, std::string>> errors = {
        {"#NULL!", "0"},  {"#DIV/0!", "7"}, {"#VALUE!", "15"}, {"#REF!", "23"},
        {"#NAME?", "29"}, {"#NUM!", "36"},  {"#N/A", "42"}};
    for (size_t i = 0; i < errors.size(); ++i) {
        s.setCell(3, static_cast<int>(i) + 1, Cell::makeError(errors[i].first));
    }
    // Not an error Excel knows: kept as its text rather than turned into another error.
    s.setCell(4, 1, Cell::makeError("#SPILL!"));
    // Excel has no infinities or NaNs.
    s.setCell(5, 1, Cell::makeNumber(std::numeric_limits<double>::infinity()));
    s.setCell(5, 2, Cell::makeNumber(-std::numeric_limits<double>::infinity()));
    s.setCell(5, 3, Cell::makeNumber(std::numeric_limits<double>::quiet_NaN()));
    // An empty text is an empty cell.
    s.setCell(6, 1, Cell::makeText(""));

    const XlrdBook read = readWithXlrd(save(book));
    const auto& cells = read.sheets.at(0).cells;
    EXPECT_EQ(cells.at({1, 1}).value, "Age");
    EXPECT_EQ(cells.at({1, 2}).value, "Difference (W)");
    EXPECT_EQ(cells.at({1, 3}).value, "tab\there, \"quotes\"\nand a new line");
    EXPECT_EQ(cells.at({2, 1}).kind, 'B');
    EXPECT_EQ(cells.at({2, 1}).value, "1");
    EXPECT_EQ(cells.at({2, 2}).kind, 'B');
    EXPECT_EQ(cells.at({2, 2}).value, "0");
    for (size_t i = 0; i < errors.size(); ++i) {
        const XlrdCell& cell = cells.at({3, static_cast<int>(i) + 1});
        EXPECT_EQ(cell.kind, 'E') << errors[i].first;
        EXPECT_EQ(cell.value, errors[i].second) << errors[i].first;
    }
    EXPECT_EQ(cells.at({4, 1}).kind, 'T');
    EXPECT_EQ(cells.at({4, 1}).value, "#SPILL!");
    for (int col = 1; col <= 3; ++col) {
        EXPECT_EQ(cells.at({5, col}).kind, 'E') << "column " << col;
        EXPECT_EQ(cells.at({5, col}).value, "36") << "column " << col;
    }
    EXPECT_EQ(cells.count({6, 1}), 0u);
}

TEST_P(WriterRoundTrip, RowAndColumnLimitsOfTheFormatAreUsable) {
    Workbook book;
    book.sheets.emplace_back("Full");
    const int lastRow = GetParam().maxRows;
    for (int row = 1; row <= lastRow; ++row) book.sheets[0].setCell(row, 1, Cell::makeNumber(row));
    book.sheets[0].setCell(1, 256, Cell::makeText("IV1"));
    book.sheets[0].setCell(lastRow, 256, Cell::makeText("last"));

    const XlrdBook read = readWithXlrd(save(book));
    const auto& cells = read.sheets.at(0).cells;
    EXPECT_EQ(cells.size(), static_cast<size_t>(lastRow) + 2);
    EXPECT_EQ(cells.at({lastRow, 1}).value, std::to_string(lastRow) + ".0");
    EXPECT_EQ(cells.at({1, 256}).value, "IV1");
    EXPECT_EQ(cells.at({lastRow, 256}).value, "last");
}

TEST_P(WriterRoundTrip, ManyAndLongTextsSurviveTheStringTable) {
    Workbook book;
    book.sheets.emplace_back("Texts");
    std::vector<std::string> texts;
    for (int i = 0; i < 2500; ++i) texts.push_back("label " + std::to_string(i * 7919));
    texts.push_back(std::string(excel5() ? 255 : 20000, 'x'));  // longer than one record in BIFF8
    for (size_t i = 0; i < texts.size(); ++i) {
        book.sheets[0].setCell(static_cast<int>(i) + 1, 1, Cell::makeText(texts[i]));
        book.sheets[0].setCell(static_cast<int>(i) + 1, 2, Cell::makeText(texts[i % 10]));  // reuse
    }
    const XlrdBook read = readWithXlrd(save(book));
    const auto& cells = read.sheets.at(0).cells;
    ASSERT_EQ(cells.size(), texts.size() * 2);
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(cells.at({static_cast<int>(i) + 1, 1}).value, texts[i]) << "row " << i + 1;
        ASSERT_EQ(cells.at({static_cast<int>(i) + 1, 2}).value, texts[i % 10]) << "row " << i + 1;
    }
}

TEST_P(WriterRoundTrip, EmptyWorkbookAndEmptySheetStillMakeAValidFile) {
    const XlrdBook none = readWithXlrd(save(Workbook{}));
    ASSERT_EQ(none.sheets.size(), 1u);
    EXPECT_EQ(none.sheets[0].name, "Sheet1");
    EXPECT_TRUE(none.sheets[0].cells.empty());
    EXPECT_TRUE(none.sheets[0].selected);

    Workbook book;
    book.sheets.emplace_back("Nothing here");
    book.activeSheet = 7;  // out of range: the first sheet is the active one
    const XlrdBook empty = readWithXlrd(save(book));
    ASSERT_EQ(empty.sheets.size(), 1u);
    EXPECT_EQ(empty.sheets[0].name, "Nothing here");
    EXPECT_TRUE(empty.sheets[0].selected);
}

TEST_P(WriterRoundTrip, TheComponentSavesWhatWasTypedIntoIt) {
    SpreadsheetCore sheet;
    sheet.SetSheetName(1, "Smry");
    sheet.SetRow(1), sheet.SetCol(1), sheet.SetText("Age");
    sheet.SetRow(2), sheet.SetCol(1), sheet.SetNumber(12.5);
    sheet.SetRow(2), sheet.SetCol(7), sheet.SetNumber(0.0012345);
    const std::string path = m_dir.file("component.xls");
    sheet.WriteWorkbook(path, GetParam().code);
    const XlrdBook read = readWithXlrd(path);
    ASSERT_EQ(read.sheets.size(), 1u);
    EXPECT_EQ(read.sheets[0].name, "Smry");
    EXPECT_EQ(read.sheets[0].cells.at({1, 1}).value, "Age");
    EXPECT_EQ(read.sheets[0].cells.at({2, 1}).value, "12.5");
    EXPECT_EQ(read.sheets[0].cells.at({2, 7}).value, "0.0012345");
}

INSTANTIATE_TEST_SUITE_P(BothFormats, WriterRoundTrip,
                         ::testing::Values(FormatCase{11, "Excel97", 65536},
                                           FormatCase{4, "Excel5", 16384}),
                         [](const auto& info) { return std::string(info.param.name); });

// Text beyond Windows-1252 is where the two formats differ.
TEST(WriterText, Excel97KeepsAnyTextAndExcel5RefusesSheetNamesAndReplacesCellText) {
    ASSERT_EQ(xlrdMissingReason(), "") << "the read-back needs python3-xlrd (scripts/deps.sh)";
    TempDir dir;
    Workbook book;
    book.sheets.emplace_back("Текст");  // Cyrillic: fine in Excel 97, not in Excel 5
    const std::string mixed = "Größe € – “quoted” ½ Ω 😀 末";
    book.sheets[0].setCell(1, 1, Cell::makeText(mixed));
    book.sheets[0].setCell(2, 1, Cell::makeText(std::string(300, 'w') + "Ω"));  // long and wide

    writeWorkbookFile(book, dir.file("97.xls"), 11);
    const XlrdBook read97 = readWithXlrd(dir.file("97.xls"));
    EXPECT_EQ(read97.sheets.at(0).name, "Текст");
    EXPECT_EQ(read97.sheets.at(0).cells.at({1, 1}).value, mixed);
    EXPECT_EQ(read97.sheets.at(0).cells.at({2, 1}).value, std::string(300, 'w') + "Ω");

    book.sheets[0].setCell(2, 1, Cell::makeText("Ω"));
    WorkbookWriteNotes notes;
    // A sheet name is refused rather than written as "?????" (two such names would collide).
    try {
        writeWorkbookFile(book, dir.file("5.xls"), 4, notes);
        ADD_FAILURE() << "a sheet name Excel 5 cannot store must be refused";
    } catch (const kestrel::KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find("\"Текст\""), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fileExists(dir.file("5.xls")));
    book.sheets[0].setName("Größe");
    writeWorkbookFile(book, dir.file("5.xls"), 4, notes);
    const XlrdBook read5 = readWithXlrd(dir.file("5.xls"));
    EXPECT_EQ(read5.sheets.at(0).name, "Größe");
    EXPECT_EQ(read5.sheets.at(0).cells.at({1, 1}).value, "Größe € – “quoted” ½ ? ? ?");
    EXPECT_EQ(read5.sheets.at(0).cells.at({2, 1}).value, "?");
    EXPECT_EQ(notes.replacedCharacters, 3u + 1u);
}

// A second, unrelated reader: gnumeric's ssconvert turns our file into CSV.
TEST(WriterSsconvert, GnumericReadsBothFormats) {
    ASSERT_TRUE(fileExists("/usr/bin/ssconvert"))
        << "the check needs gnumeric's ssconvert (scripts/deps.sh)";
    TempDir dir;
    Workbook book;
    book.sheets.emplace_back("Smry");
    Worksheet& s = book.sheets[0];
    const std::vector<std::string> headings = {"Age", "Curve 1", "Curve 2", "Difference"};
    for (size_t c = 0; c < headings.size(); ++c) {
        s.setCell(1, static_cast<int>(c) + 1, Cell::makeText(headings[c]));
    }
    for (int row = 2; row <= 40; ++row) {
        s.setCell(row, 1, Cell::makeNumber(row * 0.5));
        s.setCell(row, 2, Cell::makeNumber(row / 40.0));
        s.setCell(row, 3, Cell::makeNumber(-row));
        s.setCell(row, 4, Cell::makeText("Größe " + std::to_string(row)));
    }
    for (const int16_t code : {int16_t{11}, int16_t{4}}) {
        const std::string xls = dir.file("summary" + std::to_string(code) + ".xls");
        const std::string csv = dir.file("summary" + std::to_string(code) + ".csv");
        writeWorkbookFile(book, xls, code);
        const CommandResult r = runCommand("ssconvert '" + xls + "' '" + csv + "'");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "") << "gnumeric complained about the file";
        std::istringstream lines(readBytes(csv));
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "Age,\"Curve 1\",\"Curve 2\",Difference") << "code " << code;
        for (int row = 2; row <= 40; ++row) {
            ASSERT_TRUE(std::getline(lines, line)) << "code " << code << " row " << row;
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string f; std::getline(parts, f, ',');) fields.push_back(f);
            ASSERT_EQ(fields.size(), 4u) << line;
            EXPECT_EQ(std::strtod(fields[0].c_str(), nullptr), row * 0.5) << line;
            EXPECT_EQ(std::strtod(fields[1].c_str(), nullptr), row / 40.0) << line;
            EXPECT_EQ(std::strtod(fields[2].c_str(), nullptr), -row) << line;
            EXPECT_EQ(fields[3], "\"Größe " + std::to_string(row) + "\"") << line;
        }
        EXPECT_FALSE(std::getline(lines, line)) << "extra line: " << line;
    }
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {
using namespace writertest;

void expectSameWorkbook(const Workbook& read, const Workbook& written, const std::string& what) {
    ASSERT_EQ(read.sheets.size(), written.sheets.size()) << what;
    EXPECT_EQ(read.activeSheet, written.activeSheet) << what;
    for (size_t i = 0; i < written.sheets.size(); ++i) {
        const Worksheet& a = read.sheets[i];
        const Worksheet& b = written.sheets[i];
        EXPECT_EQ(a.name(), b.name()) << what;
        EXPECT_EQ(a.cellCount(), b.cellCount()) << what << ", sheet " << b.name();
        b.forEachCell([&](int row, int col, const Cell& expected) {
            const std::string where = what + ", " + b.name() + "!" + cellAddress(row, col);
            const Cell* got = a.cell(row, col);
            ASSERT_NE(got, nullptr) << where;
            EXPECT_EQ(got->kind, expected.kind) << where;
            if (expected.kind == CellKind::Number || expected.kind == CellKind::Boolean) {
                EXPECT_EQ(bitsOf(got->number), bitsOf(expected.number)) << where;
            }
            if (expected.kind != CellKind::Number) {
                EXPECT_EQ(got->text, expected.text) << where;
            }
        });
    }
}

// The workbook reader reads back exactly what the writer wrote, in both formats.
TEST(WriterOwnReader, EveryCellSheetNameAndTheActiveSheetComeBack) {
    TempDir dir;
    Workbook book;
    book.sheets.emplace_back("Smry");
    book.sheets.emplace_back("Profiles £");
    book.sheets.emplace_back("Blank");
    Worksheet& s = book.sheets[0];
    const std::vector<std::string> headings = {
        "Age", "Curve 1", "Curve 2", "Difference", "Difference (W)", "Cutoff", "Cutoff (W)"};
    for (size_t c = 0; c < headings.size(); ++c) {
        s.setCell(1, static_cast<int>(c) + 1, Cell::makeText(headings[c]));
    }
    for (int row = 2; row <= 5001; ++row) {
        for (int col = 1; col <= 7; ++col) {
            s.setCell(row, col,
                      Cell::makeNumber(std::sin(row * 0.37 + col) * std::pow(10, col - 4)));
        }
    }
    Worksheet& p = book.sheets[1];
    p.setCell(1, 1, Cell::makeText("Größe – “Ä” ½ €"));
    p.setCell(2, 2, Cell::makeBoolean(true));
    p.setCell(2, 3, Cell::makeBoolean(false));
    p.setCell(3, 1, Cell::makeError("#DIV/0!"));
    p.setCell(3, 2, Cell::makeError("#N/A"));
    p.setCell(4, 200, Cell::makeNumber(-0.0));
    for (int row = 10; row <= 900; ++row) {
        p.setCell(row, 4,
                  Cell::makeText("sample " + std::to_string(row) + std::string(row % 200, 'z')));
    }
    book.activeSheet = 2;

    for (const int16_t code : {int16_t{11}, int16_t{4}}) {
        const std::string path = dir.file("roundtrip" + std::to_string(code) + ".xls");
        writeWorkbookFile(book, path, code);
        int16_t found = 0;
        const Workbook read = readWorkbookFile(path, found);
        EXPECT_EQ(found, code);
        expectSameWorkbook(read, book, "code " + std::to_string(code));
    }
}

// U+007F U+0080 U+07FF U+0800 U+FFFF U+10000 U+10FFFF: both sides of every UTF-8 length
// boundary, and the first and last characters outside the 16-bit range (surrogate pairs).
TEST(WriterText, Excel97KeepsCharactersAtEveryUtf8LengthBoundary) {
    ASSERT_EQ(xlrdMissingReason(), "") << "the read-back needs python3-xlrd (scripts/deps.sh)";
    const std::string edges =
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    TempDir dir;
    Workbook book;
    book.sheets.emplace_back("S" + edges);
    book.sheets[0].setCell(1, 1, Cell::makeText(edges));
    writeWorkbookFile(book, dir.file("edges.xls"), 11);
    const XlrdBook read = readWithXlrd(dir.file("edges.xls"));
    EXPECT_EQ(read.sheets.at(0).name, "S" + edges);
    EXPECT_EQ(read.sheets.at(0).cells.at({1, 1}).value, edges);
}

}  // namespace
}  // namespace kestrel
