// Workbooks written as .xlsx and .csv, read back by programs unrelated to ours: python3-openpyxl
// and Python's csv module. Cells of every kind, gaps, text that needs escaping, several sheets.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core_writer_support.h"
#include "engine/KestrelError.h"
#include "sheet/core/WorkbookReader.h"
#include "sheet/core/WorkbookWriter.h"

using namespace kestrel;
using kestrel::writertest::fileExists;
using kestrel::writertest::TempDir;

namespace {

// What a Python script prints about `path`.
std::string pythonSees(const std::string& script, const std::string& path) {
    const std::string command = "/usr/bin/python3 -c '" + script + "' '" + path + "' 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << out;
    }
    return out;
}

Workbook mixedBook() {
    Workbook book;
    book.sheets.emplace_back("Données");
    Worksheet& s = book.sheets[0];
    s.setCell(1, 1, Cell::makeText("a<b>&\"c\" _x0041_ tab\there"));
    s.setCell(1, 3, Cell::makeNumber(0.1 + 0.2));  // a gap before it
    s.setCell(2, 2, Cell::makeBoolean(true));
    s.setCell(2, 4, Cell::makeError("#DIV/0!"));
    s.setCell(4, 1, Cell::makeNumber(-1.5e-300));  // row 3 empty
    s.setCell(4, 2, Cell::makeNumber(std::numeric_limits<double>::infinity()));
    s.setCell(4, 3, Cell::makeText(std::string("bell") + '\x07' + ", line\nbreak"));
    book.sheets.emplace_back("Second");
    book.sheets[1].setCell(1, 16384, Cell::makeNumber(7));
    return book;
}

}  // namespace

TEST(WriterFormats, XlsxHoldsEveryCellAsOpenpyxlReadsIt) {
    TempDir dir;
    const std::string path = dir.file("mixed.xlsx");
    writeAnyWorkbookFile(mixedBook(), path, kFileTypeXlsx);
    const std::string seen = pythonSees(
        "import sys, openpyxl\n"
        "b = openpyxl.load_workbook(sys.argv[1])\n"
        "print(b.sheetnames, b.active.title)\n"
        "for s in b.worksheets:\n"
        "    for r in s.iter_rows():\n"
        "        for c in r:\n"
        "            if c.value is not None: print(s.title, c.coordinate, c.data_type, "
        "repr(c.value))\n",
        path);
    EXPECT_EQ(seen,
              "['Données', 'Second'] Données\n"
              // openpyxl keeps SpreadsheetML's _xHHHH_ escapes as written (Excel decodes them):
              // a literal "_x0041_" has its "_" escaped, a control character is escaped.
              "Données A1 s 'a<b>&\"c\" _x005F_x0041_ tab\\there'\n"
              "Données C1 n 0.30000000000000004\n"
              "Données B2 b True\n"
              "Données D2 e '#DIV/0!'\n"
              "Données A4 n -1.5e-300\n"
              "Données B4 e '#NUM!'\n"
              "Données C4 s 'bell_x0007_, line\\nbreak'\n"
              "Second XFD1 n 7\n");

    // Our own reader decodes the escapes as Excel does: every cell reads back as it was.
    WorkbookFormat format;
    const Workbook back = readAnyWorkbookFile(path, format);
    const Workbook original = mixedBook();
    ASSERT_EQ(back.sheets.size(), original.sheets.size());
    for (size_t s = 0; s < back.sheets.size(); ++s) {
        EXPECT_EQ(back.sheets[s].cellCount(), original.sheets[s].cellCount());
        original.sheets[s].forEachCell([&](int row, int col, const Cell& cell) {
            const Cell* read = back.sheets[s].cell(row, col);
            ASSERT_NE(read, nullptr) << cellAddress(row, col);
            EXPECT_EQ(read->text, cell.kind == CellKind::Number && !std::isfinite(cell.number)
                                      ? "#NUM!"
                                      : cell.text)
                << cellAddress(row, col);
            if (std::isfinite(cell.number)) {
                EXPECT_EQ(read->number, cell.number);
            }
        });
    }
}

TEST(WriterFormats, CsvHoldsTheFirstSheetAsPythonsCsvModuleReadsIt) {
    TempDir dir;
    Workbook book = mixedBook();
    const std::string refused = dir.file("refused.csv");
    try {
        writeAnyWorkbookFile(book, refused, kFileTypeCsv);
        ADD_FAILURE() << "a second sheet with cells must be refused";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find("\"Second\""), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fileExists(refused));

    book.sheets.pop_back();
    const std::string path = dir.file("mixed.csv");
    writeAnyWorkbookFile(book, path, kFileTypeCsv);
    EXPECT_EQ(
        pythonSees("import sys, csv\n"
                   "for row in csv.reader(open(sys.argv[1], newline=\"\", encoding=\"utf-8\")):\n"
                   "    print(row)\n",
                   path),
        "['a<b>&\"c\" _x0041_ tab\\there', '', '0.30000000000000004']\n"
        "['', 'TRUE', '', '#DIV/0!']\n"
        "[]\n"
        "['-1.5e-300', '#NUM!', 'bell\\x07, line\\nbreak']\n");
}

// A sheet of many megabytes is deflated in chunks on several threads: the package must still be
// one valid ZIP whose sheet part is one deflate stream with the right CRC, and every cell exact.
TEST(WriterFormats, XlsxSheetOfManyChunksReadsBackWhole) {
    constexpr int kRows = 120000;  // about 9 MB of sheet text
    Workbook book;
    book.sheets.emplace_back("Long");
    std::vector<std::pair<int, Cell>> cells;
    for (int row = 1; row <= kRows; ++row) {
        cells.clear();
        cells.emplace_back(1, Cell::makeNumber(row / 7.0));
        cells.emplace_back(2, Cell::makeNumber(1e-9 * row));
        if (row % 3 == 0) cells.emplace_back(4, Cell::makeText("r&" + std::to_string(row)));
        book.sheets[0].appendRow(row, cells);
    }
    book.sheets.emplace_back("After");
    book.sheets[1].setCell(2, 2, Cell::makeText("end"));
    TempDir dir;
    const std::string path = dir.file("long.xlsx");
    writeAnyWorkbookFile(book, path, kFileTypeXlsx);

    // Python's zipfile checks every part's CRC and sizes; openpyxl checks every value against
    // its own arithmetic.
    const std::string seen = pythonSees(
        "import sys, zipfile, openpyxl\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "print(z.testzip(), sorted(i.filename for i in z.infolist() if i.compress_type == 8))\n"
        "b = openpyxl.load_workbook(sys.argv[1], read_only=True)\n"
        "bad = 0\n"
        "for n, row in enumerate(b[\"Long\"].iter_rows(values_only=True), 1):\n"
        "    want = (n / 7.0, 1e-9 * n, None, \"r&%d\" % n if n % 3 == 0 else None)\n"
        "    bad += tuple(row) + (None,) * (4 - len(row)) != want\n"
        "print(b.sheetnames, n, bad, [r for r in b[\"After\"].iter_rows(values_only=True)][-1])\n",
        path);
    EXPECT_EQ(seen,
              "None ['[Content_Types].xml', '_rels/.rels', 'xl/_rels/workbook.xml.rels', "
              "'xl/styles.xml', 'xl/workbook.xml', 'xl/worksheets/sheet1.xml', "
              "'xl/worksheets/sheet2.xml']\n"
              "['Long', 'After'] 120000 0 (None, 'end')\n");

    WorkbookFormat format;
    const Workbook back = readAnyWorkbookFile(path, format);
    ASSERT_EQ(back.sheets.size(), 2u);
    EXPECT_EQ(back.sheets[0].cellCount(), book.sheets[0].cellCount());
    size_t differ = 0;
    book.sheets[0].forEachCell([&](int row, int col, const Cell& cell) {
        const Cell* read = back.sheets[0].cell(row, col);
        differ += !read || read->number != cell.number || read->text != cell.text;
    });
    EXPECT_EQ(differ, 0u);
}

// Every part is dated with the local time of the write, as Python's zipfile reads the central
// directory, and each local header agrees with it on the date, the CRC and both sizes.
TEST(WriterFormats, XlsxPartsCarryTheTimeOfTheWriteInBothHeaders) {
    const auto dosNow = [] {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_r(&now, &t);
        return std::array<int, 6>{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                                  t.tm_hour,        t.tm_min,     t.tm_sec / 2 * 2};
    };
    TempDir dir;
    const std::string path = dir.file("dated.xlsx");
    const std::array<int, 6> before = dosNow();
    writeAnyWorkbookFile(mixedBook(), path, kFileTypeXlsx);
    const std::array<int, 6> after = dosNow();
    std::istringstream seen(
        pythonSees("import sys, struct, zipfile\n"
                   "z = zipfile.ZipFile(sys.argv[1])\n"
                   "for i in z.infolist():\n"
                   "    z.fp.seek(i.header_offset)\n"
                   "    t, d, crc, packed, size = struct.unpack(\"<HHIII\", z.fp.read(30)[10:26])\n"
                   "    local = ((d >> 9) + 1980, (d >> 5) & 15, d & 31, t >> 11, (t >> 5) & 63, "
                   "(t & 31) * 2)\n"
                   "    same = (local, crc, packed, size) == "
                   "(i.date_time, i.CRC, i.compress_size, i.file_size)\n"
                   "    print(*i.date_time, same)\n",
                   path));
    int parts = 0;
    for (std::string line; std::getline(seen, line); ++parts) {
        std::istringstream fields(line);
        std::array<int, 6> stamp{};
        std::string same;
        for (int& v : stamp) fields >> v;
        fields >> same;
        EXPECT_TRUE(before <= stamp && stamp <= after) << line;
        EXPECT_EQ(same, "True") << line;
    }
    EXPECT_EQ(parts, 7);
}

// A cell holds up to 32,767 UTF-16 units (a character beyond U+FFFF takes two): that many are
// written and read back, one more is refused and leaves no file.
TEST(WriterFormats, XlsxCellTextsEndAt32767Utf16Units) {
    std::string longest;
    for (int i = 0; i < 16383; ++i) longest += "\xF0\x9F\x98\x80";  // U+1F600
    longest += "a";
    Workbook book;
    book.sheets.emplace_back("Long");
    book.sheets[0].setCell(1, 1, Cell::makeText(longest));
    TempDir dir;
    const std::string path = dir.file("longest.xlsx");
    writeAnyWorkbookFile(book, path, kFileTypeXlsx);
    WorkbookFormat format;
    const Workbook read = readAnyWorkbookFile(path, format);
    const Cell* back = read.sheets.at(0).cell(1, 1);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->text == longest);

    longest.back() = '\xF0';
    longest += "\x9F\x98\x80";
    book.sheets[0].setCell(1, 1, Cell::makeText(longest));
    const std::string refused = dir.file("refused.xlsx");
    try {
        writeAnyWorkbookFile(book, refused, kFileTypeXlsx);
        ADD_FAILURE() << "32,768 UTF-16 units must be refused";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find("cell A1 of sheet \"Long\" holds more than 32,767"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(fileExists(refused));
}

// Sheet names are told apart without regard to case, as in the .xls writer; a stream of cells
// that never began a sheet is written as one empty sheet "Sheet1".
TEST(WriterFormats, XlsxSheetNamesDifferBeyondCaseAndAnEmptyBookHoldsSheet1) {
    TempDir dir;
    const std::string empty = dir.file("empty.xlsx");
    writeStreamedWorkbookFile(empty, kFileTypeXlsx, [](CellSink&) {});
    EXPECT_EQ(pythonSees("import sys, openpyxl\n"
                         "b = openpyxl.load_workbook(sys.argv[1])\n"
                         "print(b.sheetnames, b.active.max_row, b.active[\"A1\"].value)\n",
                         empty),
              "['Sheet1'] 1 None\n");

    Workbook twice;
    twice.sheets.emplace_back("Smry");
    twice.sheets.emplace_back("SMRY");
    const std::string refused = dir.file("twice.xlsx");
    try {
        writeAnyWorkbookFile(twice, refused, kFileTypeXlsx);
        ADD_FAILURE() << "two sheets named alike must be refused";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find("two sheets are named \"SMRY\""), std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(fileExists(refused));
}
