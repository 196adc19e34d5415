// The .xlsx, .ods and .csv readers on files written by other programs (openpyxl, gnumeric's
// ssconvert, Python's csv module), committed under tests/data/workbooks with the script that
// made them: every cell, sheet name and the active sheet agree with what openpyxl, ssconvert or
// Python's csv module read from the same file. Then the Number rules and the choice of reader by
// content, through the spreadsheet component.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/CsvReader.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookReader.h"

namespace {

namespace fs = std::filesystem;
using kestrel::Cell;
using kestrel::CellKind;

const std::string kFolder = std::string(KESTREL_TEST_DATA_DIR) + "/workbooks/";

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

struct OracleView {
    bool readable = false;
    std::vector<std::string> sheetNames;
    int active = 0;
    std::map<std::tuple<int, int, int>, std::pair<char, std::string>> cells;
};

/// What tests/sheet/workbook_dump.py prints for the file, read by the other program.
OracleView runOracle(const std::string& mode, const std::string& path, const std::string& extra) {
    const std::string command = "/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                "/tests/sheet/workbook_dump.py' " +
                                mode + " '" + path + "' '" + extra + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    OracleView view;
    std::string output;
    std::array<char, 65536> buffer;
    for (size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        output.append(buffer.data(), got);
    view.readable = pclose(pipe.release()) == 0;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
        if (f.size() == 3 && f[0] == "SHEET") view.sheetNames.push_back(unescape(f[2]));
        if (f.size() == 2 && f[0] == "ACTIVE") view.active = std::stoi(f[1]);
        if (f.size() == 6 && f[0] == "CELL") {
            view.cells[{std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])}] = {f[4][0],
                                                                               unescape(f[5])};
        }
    }
    return view;
}

/// The oracle's kind and value against our cell; "S" (shown text) agrees with a number of the
/// same value or with the text a cell shows.
void expectSame(const Cell& cell, char kind, const std::string& value, const std::string& where) {
    if (cell.kind == CellKind::Number) {
        ASSERT_TRUE(kind == 'N' || kind == 'S') << where << ": oracle has " << kind << " " << value;
        const auto oracleNumber = kestrel::parseRealNumber(value);
        ASSERT_TRUE(oracleNumber.has_value()) << where << ": oracle shows \"" << value << "\"";
        EXPECT_EQ(cell.number, *oracleNumber) << where;
        return;
    }
    const char expectedKind = cell.kind == CellKind::Text      ? 'T'
                              : cell.kind == CellKind::Boolean ? 'B'
                                                               : 'E';
    if (kind == 'S') {
        EXPECT_EQ(cell.text, value) << where;
    } else {
        EXPECT_EQ(kind, expectedKind) << where << " \"" << value << "\"";
        EXPECT_EQ(kind == 'B' ? std::to_string(static_cast<int>(cell.number)) : cell.text, value)
            << where;
    }
}

struct Fixture {
    const char* file;
    const char* oracle;  // workbook_dump.py mode
    const char* separator;
    size_t sheets;
};

class FormatsAgreeWithOtherPrograms : public ::testing::TestWithParam<Fixture> {};

TEST_P(FormatsAgreeWithOtherPrograms, OnEveryCellSheetNameAndTheActiveSheet) {
    const std::string path = kFolder + GetParam().file;
    const OracleView oracle = runOracle(GetParam().oracle, path, GetParam().separator);
    ASSERT_TRUE(oracle.readable) << "the oracle (/usr/bin/python3 with python3-openpyxl, "
                                    "gnumeric's ssconvert) cannot read "
                                 << path;
    kestrel::WorkbookFormat format;
    const kestrel::Workbook book = kestrel::readAnyWorkbookFile(path, format);
    ASSERT_EQ(book.sheets.size(), GetParam().sheets);
    ASSERT_EQ(book.sheets.size(), oracle.sheetNames.size());
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        EXPECT_EQ(book.sheets[s].name(), oracle.sheetNames[s]);
    }
    EXPECT_EQ(book.activeSheet, oracle.active);
    std::set<std::tuple<int, int, int>> seen;
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        const int sheetNo = static_cast<int>(s) + 1;
        book.sheets[s].forEachCell([&](int row, int col, const Cell& cell) {
            const std::string where = std::string(GetParam().file) + " sheet " +
                                      std::to_string(sheetNo) + " " +
                                      kestrel::cellAddress(row, col);
            seen.insert({sheetNo, row, col});
            const auto it = oracle.cells.find({sheetNo, row, col});
            ASSERT_NE(it, oracle.cells.end()) << where << ": we read \"" << cell.text << "\" "
                                              << cell.number << ", the oracle nothing";
            expectSame(cell, it->second.first, it->second.second, where);
        });
    }
    for (const auto& [key, value] : oracle.cells) {
        EXPECT_TRUE(seen.count(key)) << GetParam().file << " sheet " << std::get<0>(key) << " "
                                     << kestrel::cellAddress(std::get<1>(key), std::get<2>(key))
                                     << ": the oracle reads \"" << value.second << "\", we nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FormatsAgreeWithOtherPrograms,
                         ::testing::Values(Fixture{"openpyxl_types.xlsx", "xlsx", "", 3},
                                           Fixture{"gnumeric_types.xlsx", "xlsx", "", 4},
                                           Fixture{"formulas.xlsx", "xlsx", "", 3},
                                           Fixture{"gnumeric_types.ods", "ods", "", 4},
                                           Fixture{"formulas.ods", "ods", "", 3},
                                           Fixture{"quotes.csv", "csv", ",", 1},
                                           Fixture{"bom_crlf.csv", "csv", ",", 1},
                                           Fixture{"semicolon.csv", "csv", ";", 1}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const kestrel::KestrelError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(WorkbookFormats, TheComponentAppliesTheSameNumberRulesToEveryFormat) {
    kestrel::SpreadsheetCore s;
    int16_t fileType = kestrel::kFileTypeExcel97;
    auto at = [&](int row, int col) { s.SetRow(row), s.SetCol(col); };

    s.ReadWorkbook(kFolder + "openpyxl_types.xlsx", fileType);
    EXPECT_EQ(fileType, static_cast<int16_t>(kestrel::WorkbookFormat::Xlsx));
    EXPECT_EQ(s.Sheet(), 3) << "the chart sheet before it is not a sheet here";
    s.SetSheet(1);
    at(2, 7);
    EXPECT_EQ(s.Text(), "") << "a formula openpyxl wrote without its result reads as empty";
    EXPECT_EQ(s.Number(), 0.0);
    at(2, 9);
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell I2 of sheet \"Numbers\" holds \"  42.5 \", which is not a number")
        << "the real-number rule allows no trailing space, in .xlsx as in .xls";
    at(2, 6);
    EXPECT_EQ(errorOf([&] { s.Number(); }),
              "Cell F2 of sheet \"Numbers\" holds \"#DIV/0!\", which is not a number");
    s.SetSheet(2);
    at(1, 16384);
    EXPECT_EQ(s.Text(), "the last column");
    s.SetSheet(3);
    EXPECT_EQ(s.MaxRow(), 1048576);
    at(1048576, 2);
    EXPECT_EQ(s.Number(), 7.0);

    s.ReadWorkbook(kFolder + "gnumeric_types.ods", fileType);
    EXPECT_EQ(fileType, static_cast<int16_t>(kestrel::WorkbookFormat::Ods));
    at(2, 8);
    EXPECT_EQ(s.Number(), 45293.5) << "office:date-value 2024-01-02T12:00:00 as a serial number";
    at(2, 7);
    EXPECT_EQ(s.Number(), 30.0) << "the formula's result ssconvert calculated";

    s.ReadWorkbook(kFolder + "semicolon.csv", fileType);
    EXPECT_EQ(fileType, static_cast<int16_t>(kestrel::WorkbookFormat::Csv));
    EXPECT_EQ(s.SheetName(1), "semicolon");
    at(2, 3);
    EXPECT_EQ(s.Number(), 2.5);
    at(2, 2);
    EXPECT_EQ(s.Number(), 1.5) << "a decimal comma in a \";\" file";
}

TEST(WorkbookFormats, ASemicolonCsvReadsDecimalCommasButNeverTwoStylesInOneColumn) {
    const auto cell = [](const kestrel::Workbook& book, int row, int col) {
        const kestrel::Cell* c = book.sheets.at(0).cell(row, col);
        return c ? *c : kestrel::Cell{};
    };
    const kestrel::Workbook book = kestrel::readCsvBytes(
        "Age;Y1;Y2;Note\n1;0,000000;-1,5E2;1.234,5\n2;\"2,25\";3;1,2,3\n", "eu.csv");
    EXPECT_EQ(cell(book, 2, 2).number, 0.0);
    EXPECT_EQ(cell(book, 2, 3).number, -150.0);
    EXPECT_EQ(cell(book, 3, 2).number, 2.25);
    EXPECT_EQ(cell(book, 3, 3).number, 3.0);
    // Grouping dots and several commas are no decimal comma: such text stays text.
    EXPECT_EQ(cell(book, 2, 4).kind, kestrel::CellKind::Text);
    EXPECT_EQ(cell(book, 3, 4).kind, kestrel::CellKind::Text);

    // In a "," file a comma is never a decimal point.
    const kestrel::Workbook commas = kestrel::readCsvBytes("A,B\n\"1,5\",2\n", "us.csv");
    EXPECT_EQ(cell(commas, 2, 1).kind, kestrel::CellKind::Text);

    EXPECT_EQ(errorOf([] { kestrel::readCsvBytes("A;B\n1,5;1\n7;2\n2.5;3\n", "mixed.csv"); }),
              "Cannot read mixed.csv: cell A4 holds \"2.5\" with a decimal point, but cell A2 "
              "above holds \"1,5\" with a decimal comma; use one decimal separator in a column");
    EXPECT_EQ(errorOf([] { kestrel::readCsvBytes("A;B\n1;0.5\n2;0,5\n", "mixed.csv"); }),
              "Cannot read mixed.csv: cell B3 holds \"0,5\" with a decimal comma, but cell B2 "
              "above holds \"0.5\" with a decimal point; use one decimal separator in a column");
}

TEST(WorkbookFormats, TheContentChoosesTheReaderAndWhatIsNoWorkbookIsRefusedNamingTheFile) {
    const fs::path folder =
        fs::temp_directory_path() / ("kestrel-formats-" + std::to_string(getpid()));
    fs::create_directories(folder);
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    };
    auto slurp = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    kestrel::WorkbookFormat format;
    // Names lie; content does not.
    const std::string xlsxAsCsv = write("book.csv", slurp(kFolder + "formulas.xlsx"));
    EXPECT_EQ(kestrel::readAnyWorkbookFile(xlsxAsCsv, format).sheets.size(), 3u);
    EXPECT_EQ(format, kestrel::WorkbookFormat::Xlsx);
    const std::string odsAsXls = write("book.xls", slurp(kFolder + "formulas.ods"));
    EXPECT_EQ(kestrel::readAnyWorkbookFile(odsAsXls, format).sheets.at(1).name(), "Données €");
    EXPECT_EQ(format, kestrel::WorkbookFormat::Ods);
    const std::string xlsAsXlsx =
        write("old.xlsx", slurp(std::string(KESTREL_TEST_DATA_DIR) + "/xls/formulas_biff7.xls"));
    kestrel::readAnyWorkbookFile(xlsAsXlsx, format);
    EXPECT_EQ(format, kestrel::WorkbookFormat::Excel5);
    const std::string textAsXls = write("data.xls", "Age;Y1\r\n1;2.5\r\n");
    EXPECT_EQ(kestrel::readAnyWorkbookFile(textAsXls, format).sheets.at(0).cell(2, 2)->number, 2.5);

    const std::vector<std::pair<std::string, std::string>> refused{
        {"", "the file is empty"},
        {std::string("\x7F\x45LF\x02\x01\x01\0\0\0", 10),
         "its content is not a workbook this program reads (Excel .xls, .xlsx or .xlsm, "
         "OpenDocument .ods, or comma-separated text .csv)"},
        {"<html><body><table></table></body></html>",
         "it is a web page or XML file, not a workbook; open it in a spreadsheet program and save "
         "it as Excel Workbook (.xlsx) or CSV (.csv)"},
        {"Age,Gr\xF6\xDF"
         "e\n1,2\n",
         "line 1 is not UTF-8 text; save the file as CSV in UTF-8 and open that"},
        {"a,\"b\nc\n", "a quoted field that starts on line 1 is never closed"},
    };
    for (const auto& [bytes, reason] : refused) {
        const std::string path = write("refused.csv", bytes);
        EXPECT_EQ(errorOf([&] { kestrel::readAnyWorkbookFile(path, format); }),
                  "Cannot read " + path + ": " + reason);
    }
    EXPECT_EQ(
        errorOf([&] { kestrel::readAnyWorkbookFile((folder / "none.xlsx").string(), format); }),
        "Cannot read " + (folder / "none.xlsx").string() + ": the file does not exist");
    fs::remove_all(folder);
}

// The separator is ";" only when the first line holds more ";" than ",": a blank or one-word
// first line, or as many of each, leaves ",". UTF-8 is checked at every edge of its ranges.
TEST(WorkbookFormats, CsvSeparatorFollowsTheFirstLineAndUtf8IsCheckedAtEveryEdge) {
    const fs::path folder = fs::temp_directory_path() / ("kestrel-csv-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const auto read = [&](const std::string& bytes) {
        std::ofstream(folder / "text.csv", std::ios::binary) << bytes;
        kestrel::WorkbookFormat format;
        return kestrel::readAnyWorkbookFile((folder / "text.csv").string(), format);
    };
    // A cell as "text" or as =number.
    const auto textAt = [](const kestrel::Workbook& book, int row, int col) {
        const Cell* cell = book.sheets.at(0).cell(row, col);
        if (!cell) return std::string("(empty)");
        std::ostringstream shown;
        if (cell->kind == CellKind::Number) shown << '=' << cell->number;
        return cell->kind == CellKind::Number ? shown.str() : cell->text;
    };
    const kestrel::Workbook blankFirst = read("\nAge,Y1\n1,2\n");
    EXPECT_EQ(textAt(blankFirst, 2, 2), "Y1");
    EXPECT_EQ(textAt(blankFirst, 3, 2), "=2");
    EXPECT_EQ(textAt(read("Age\n1,2\n"), 2, 2), "=2");
    const kestrel::Workbook tie = read("Age;Y1,x\n1;2,3\n");
    EXPECT_EQ(textAt(tie, 1, 1), "Age;Y1");
    EXPECT_EQ(textAt(tie, 1, 2), "x");
    EXPECT_EQ(textAt(read("Age;Y1;Y2,x\n"), 1, 3), "Y2,x");
    EXPECT_EQ(textAt(read("Age;Y1\nx,y,z\n"), 2, 1), "x,y,z") << "only the first line counts";

    // Characters at the edges of UTF-8's ranges are taken; the sequences just past them
    // (overlong, surrogate, beyond U+10FFFF) are refused, naming the line they are on.
    for (const char* edge : {"\x7F", "\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                             "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_EQ(textAt(read(std::string("Age,Y") + edge + "\n"), 1, 2), std::string("Y") + edge);
    }
    for (const char* refused : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
                                "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
        std::string error = "no error";
        try {
            read(std::string("Age,\"Y\n\"\n1,") + refused + "\n");
        } catch (const kestrel::KestrelError& e) {
            error = e.what();
        }
        EXPECT_NE(error.find("line 3 is not UTF-8 text"), std::string::npos) << error;
    }
    fs::remove_all(folder);
}
