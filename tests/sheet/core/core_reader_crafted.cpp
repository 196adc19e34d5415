// The reader on workbook streams built record by record, wrapped in a real compound file by
// libgsf: the corner cases of the format and files that are damaged or crafted to mislead.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"
#include "tests/sheet/core/BiffTestBytes.h"

using kestrel::CellKind;
using kestrel::KestrelError;
using kestrel::Workbook;

namespace {

using kestrel::testbytes::f64;
using kestrel::testbytes::le16;
using kestrel::testbytes::le32;
using kestrel::testbytes::rec;
std::string cellHead(uint16_t row, uint16_t col) {
    return le16(row) + le16(col) + le16(15);
}

std::string bof(bool biff8, uint16_t type) {
    return rec(0x0809,
               le16(biff8 ? 0x0600 : 0x0500) + le16(type) + std::string(biff8 ? 12 : 4, '\0'));
}
std::string eof() {
    return rec(0x000A, "");
}
std::string number(uint16_t row, uint16_t col, double v) {
    return rec(0x0203, cellHead(row, col) + f64(v));
}
std::string rk(uint16_t row, uint16_t col, uint32_t v) {
    return rec(0x027E, cellHead(row, col) + le32(v));
}
std::string labelSst(uint16_t row, uint16_t col, uint32_t index) {
    return rec(0x00FD, cellHead(row, col) + le32(index));
}
/// An Excel 97 LABEL with 8-bit characters, or an Excel 5 LABEL of code-page bytes.
std::string label(bool biff8, uint16_t row, uint16_t col, const std::string& bytes) {
    return rec(0x0204, cellHead(row, col) + le16(static_cast<uint16_t>(bytes.size())) +
                           (biff8 ? std::string(1, '\0') : "") + bytes);
}
std::string boolErr(uint16_t row, uint16_t col, uint8_t value, bool isError) {
    return rec(0x0205, cellHead(row, col) + std::string{static_cast<char>(value), isError});
}
/// A FORMULA record with a special (non-number) result: kind 0 text, 1 boolean, 2 error.
std::string formulaSpecial(uint16_t row, uint16_t col, uint8_t kind, uint8_t value) {
    std::string result{static_cast<char>(kind), 0, static_cast<char>(value), 0, 0, 0};
    return rec(0x0006, cellHead(row, col) + result + le16(0xFFFF) + le16(0) + le32(0) + le16(3) +
                           "\x1E\x01\x00");
}
std::string stringResult(const std::string& latin1) {
    return rec(0x0207, le16(static_cast<uint16_t>(latin1.size())) + std::string(1, '\0') + latin1);
}
/// An SST record holding 8-bit strings, declaring `declared` unique strings.
std::string sst(const std::vector<std::string>& strings, uint32_t declared) {
    std::string data = le32(declared) + le32(declared);
    for (const auto& s : strings) data += le16(static_cast<uint16_t>(s.size())) + '\0' + s;
    return rec(0x00FC, data);
}

struct SheetSpec {
    std::string name;
    uint8_t type = 0;     // 0 worksheet, 1 macro sheet, 2 chart
    std::string records;  // between the sheet's BOF and EOF
};

std::string boundSheet(bool biff8, uint32_t offset, const SheetSpec& s) {
    return rec(0x0085, le32(offset) + '\0' + static_cast<char>(s.type) +
                           static_cast<char>(s.name.size()) + (biff8 ? std::string(1, '\0') : "") +
                           s.name);
}

/// A workbook stream: globals (BOF, `globals`, one BOUNDSHEET per sheet, EOF), then the sheets.
std::string workbookStream(bool biff8, const std::string& globals,
                           const std::vector<SheetSpec>& sheets) {
    size_t globalsSize = bof(biff8, 5).size() + globals.size() + eof().size();
    for (const auto& s : sheets) globalsSize += boundSheet(biff8, 0, s).size();
    std::string head = bof(biff8, 5) + globals, body;
    for (const auto& s : sheets) {
        head += boundSheet(biff8, static_cast<uint32_t>(globalsSize + body.size()), s);
        body += bof(biff8, s.type == 2 ? 0x20 : 0x10) + s.records + eof();
    }
    return head + eof() + body;
}

/// A real compound file (written by libgsf) holding one stream.
std::string compoundFile(const std::string& streamName, const std::string& stream) {
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    GsfOutput* child = gsf_outfile_new_child(ole, streamName.c_str(), FALSE);
    gsf_output_write(child, stream.size(), reinterpret_cast<const guint8*>(stream.data()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    std::string file(reinterpret_cast<const char*>(bytes),
                     static_cast<size_t>(gsf_output_size(memory)));
    g_object_unref(memory);
    return file;
}

std::string excel97(const std::string& globals, const std::vector<SheetSpec>& sheets) {
    return compoundFile("Workbook", workbookStream(true, globals, sheets));
}

Workbook read(const std::string& file, int16_t& fileType) {
    return kestrel::readWorkbookBytes(file, "crafted.xls", fileType);
}
Workbook read(const std::string& file) {
    int16_t fileType = 11;
    return read(file, fileType);
}

/// The error message reading `file` gives, or "read" when it is read.
std::string outcomeOf(const std::string& file) {
    try {
        read(file);
        return "read";
    } catch (const KestrelError& e) {
        return e.what();
    }
}

}  // namespace

TEST(CraftedSharedStrings, ATableThatOverstatesItsCountIsReadAsFarAsItGoes) {
    const std::string file = excel97(sst({"alpha", "beta"}, 1000000000u),
                                     {{"S", 0, labelSst(0, 0, 1) + labelSst(1, 0, 0)}});
    const Workbook book = read(file);
    EXPECT_EQ(book.sheets.at(0).cell(1, 1)->text, "beta");
    EXPECT_EQ(book.sheets.at(0).cell(2, 1)->text, "alpha");

    const std::string pastTheEnd =
        excel97(sst({"alpha", "beta"}, 2), {{"Data", 0, labelSst(6, 1, 2)}});
    EXPECT_EQ(outcomeOf(pastTheEnd),
              "Cannot read crafted.xls: it is damaged: sheet \"Data\" has cell B7 that refers to "
              "shared string 2, but the workbook holds only 2 shared strings");
}

TEST(CraftedSharedStrings, StringsSplitAcrossContinueRecordsKeepEveryCharacter) {
    // String 1: six characters, three 8-bit ones in the SST record, three 16-bit ones in the
    // CONTINUE record, which starts with a new option byte (0x01: 16-bit).
    std::string sstData = le32(3) + le32(3) + le16(6) + '\0' + "abc";
    std::string cont1 = std::string(1, '\x01') + "\xB4\x03\xB5\x03\xB6\x03";  // δεζ
    // String 2 starts a fresh CONTINUE record: its header carries its own options, no extra byte.
    std::string cont2 = le16(2) + '\x01' + "\xA9\x03\xC9\x03";  // Ωω
    // String 3: rich text, two runs; the run table straddles the next CONTINUE record.
    cont2 += le16(2) + '\x08' + le16(2) + "xy" + std::string(5, '\0');
    std::string cont3(3, '\0');
    const std::string globals =
        rec(0x00FC, sstData) + rec(0x003C, cont1) + rec(0x003C, cont2) + rec(0x003C, cont3);
    const Workbook book = read(
        excel97(globals, {{"S", 0, labelSst(0, 0, 0) + labelSst(1, 0, 1) + labelSst(2, 0, 2)}}));
    const auto& sheet = book.sheets.at(0);
    EXPECT_EQ(sheet.cell(1, 1)->text, "abcδεζ");
    EXPECT_EQ(sheet.cell(2, 1)->text, "Ωω");
    EXPECT_EQ(sheet.cell(3, 1)->text, "xy");
}

TEST(CraftedSheets, OnlyWorksheetsBecomeSheetsAndTheActiveTabMapsToThem) {
    const std::vector<SheetSpec> sheets = {{"Chart", 2, ""},
                                           {"First", 0, number(0, 0, 1)},
                                           {"Macros", 1, ""},
                                           {"Second", 0, number(0, 0, 2)}};
    struct Case {
        uint16_t activeTab;
        int expected;
    };
    for (const Case& c : {Case{3, 2}, Case{1, 1}, Case{0, 1}, Case{2, 1}, Case{99, 1}}) {
        const std::string window1 =
            rec(0x003D, std::string(10, '\0') + le16(c.activeTab) + std::string(6, '\0'));
        const Workbook book = read(excel97(window1, sheets));
        ASSERT_EQ(book.sheets.size(), 2u);
        EXPECT_EQ(book.sheets[0].name(), "First");
        EXPECT_EQ(book.sheets[1].name(), "Second");
        EXPECT_EQ(book.sheets[1].cell(1, 1)->number, 2.0);
        EXPECT_EQ(book.activeSheet, c.expected) << "active tab " << c.activeTab;
    }
    EXPECT_EQ(outcomeOf(excel97("", {{"Chart", 2, ""}})),
              "Cannot read crafted.xls: it holds no worksheet");
}

TEST(CraftedCells, ValuesOfEveryRecordKindOrderAndDuplicates) {
    const std::string embeddedChart = bof(true, 0x20) + number(0, 5, 99) + eof();
    const std::string records = number(2, 1, 5) + number(0, 0, 1) +  // rows out of order
                                number(0, 0, 7) +             // the later record for a cell wins
                                number(1, 0, std::nan("")) +  // not a number Excel can hold
                                rk(1, 1, static_cast<uint32_t>(-5 << 2) | 2) +  // whole number -5
                                rk(1, 2, (12345u << 2) | 3) +  // 123.45 as a whole number / 100
                                rk(1, 3, 0x3FF00000u | 1) +    // 1.0 shortened double, / 100
                                embeddedChart +  // its cells are the chart's, not the sheet's
                                boolErr(3, 0, 1, false) + boolErr(3, 1, 0x07, true) +
                                boolErr(3, 2, 0x2A, true) + formulaSpecial(4, 0, 0, 0) +
                                rec(0x04BC, std::string(8, '\0')) +  // SHRFMLA in between
                                stringResult("text result") + stringResult("stray STRING record") +
                                formulaSpecial(4, 1, 1, 0) + formulaSpecial(4, 2, 2, 0x17) +
                                number(5, 16383, 1) + number(5, 16384, 2) + number(65535, 0, 3);
    const Workbook book = read(excel97("", {{"S", 0, records}}));
    const auto& s = book.sheets.at(0);
    EXPECT_EQ(s.cell(1, 1)->number, 7.0);
    EXPECT_EQ(s.cell(3, 2)->number, 5.0);
    EXPECT_EQ(s.cell(2, 1)->kind, CellKind::Error);
    EXPECT_EQ(s.cell(2, 1)->text, "#NUM!");
    EXPECT_EQ(s.cell(2, 2)->number, -5.0);
    EXPECT_EQ(s.cell(2, 3)->number, 123.45);
    EXPECT_EQ(s.cell(2, 4)->number, 0.01);
    EXPECT_EQ(s.cell(1, 6), nullptr);
    EXPECT_EQ(s.cell(4, 1)->kind, CellKind::Boolean);
    EXPECT_EQ(s.cell(4, 2)->text, "#DIV/0!");
    EXPECT_EQ(s.cell(4, 3)->text, "#N/A");
    EXPECT_EQ(s.cell(5, 1)->text, "text result");
    EXPECT_EQ(s.cell(5, 2)->text, "FALSE");
    EXPECT_EQ(s.cell(5, 3)->text, "#REF!");
    EXPECT_EQ(s.cell(6, 16384)->number, 1.0);
    EXPECT_EQ(s.lastCol(), 16384) << "a column beyond 16,384 is ignored";
    EXPECT_EQ(s.cell(65536, 1)->number, 3.0);
    EXPECT_EQ(s.cellCount(), 14u);
}

TEST(CraftedCells, Excel5TextIsDecodedThroughTheWorkbookCodePage) {
    struct Case {
        std::string codepageRecord;
        std::string bytes;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {"", "\x80 caf\xE9", "€ café"},  // no CODEPAGE: Windows-1252
        {rec(0x0042, le16(1251)), "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},  // Windows Cyrillic
        {rec(0x0042, le16(10000)), "\x8A\x9A\xA7", "äöß"},                // Mac Roman
        {rec(0x0042, le16(932)), "\x93\xFA\x96\x7B", "日本"},             // Shift-JIS
        {rec(0x0042, le16(1252)), "ok \x81 end", "ok \xEF\xBF\xBD end"},  // unassigned byte
    };
    for (const auto& c : cases) {
        const std::string stream =
            workbookStream(false, c.codepageRecord, {{c.bytes, 0, label(false, 0, 0, c.bytes)}});
        int16_t fileType = 11;
        const Workbook book = read(compoundFile("Book", stream), fileType);
        EXPECT_EQ(fileType, 4);
        EXPECT_EQ(book.sheets.at(0).name(), c.utf8);
        EXPECT_EQ(book.sheets.at(0).cell(1, 1)->text, c.utf8);
    }
}

TEST(CraftedDamage, BrokenStructuresAreRefusedWithAMessageNamingTheFile) {
    const std::string good = workbookStream(true, "", {{"S", 0, number(0, 0, 1)}});
    // The sheet's substream starts right after the globals: BOF, one BOUNDSHEET, EOF.
    const std::string globalsOfOneSheet = bof(true, 5) + boundSheet(true, 37, {"S", 0, ""}) + eof();
    ASSERT_EQ(globalsOfOneSheet.size(), 37u);
    const std::string sheetWithoutEof = globalsOfOneSheet + bof(true, 0x10) + number(0, 0, 1);
    struct Case {
        const char* what;
        std::string file;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"globals without EOF", compoundFile("Workbook", bof(true, 5) + rec(0x0042, le16(1252))),
         "its workbook stream is cut short"},
        {"record running past the end", compoundFile("Workbook", good + le16(0x0203) + le16(200)),
         "read"},  // after the last sheet's EOF nothing more is read
        {"record running past the end of a sheet",
         compoundFile("Workbook", good.substr(0, good.size() - 4) + le16(0x0203) + le16(200)),
         "sheet \"S\" is cut short"},
        {"sheet without EOF", compoundFile("Workbook", sheetWithoutEof),
         "sheet \"S\" is cut short (its end-of-sheet record is missing)"},
        {"password", excel97(rec(0x002F, std::string(6, '\0')), {{"S", 0, ""}}),
         "it is protected with a password"},
        {"no BOF", compoundFile("Workbook", number(0, 0, 1) + good),
         "does not start with a beginning-of-file record"},
        {"Excel 4 workbook in a compound file",
         compoundFile("Book", rec(0x0409, std::string(6, '\0'))),
         "it is an Excel 2.x-4.0 workbook"},
        {"NUMBER record too short", excel97("", {{"S", 0, rec(0x0203, std::string(8, '\0'))}}),
         "sheet \"S\" holds a cell record that is cut short"},
        {"empty workbook stream", compoundFile("Workbook", ""), "its workbook stream is empty"},
        {"Word document", compoundFile("WordDocument", "text"), "it is a Word document"},
        {"other compound document", compoundFile("Contents", "x"),
         "it is a compound document that holds no Excel workbook"},
    };
    for (const auto& c : cases) {
        const std::string outcome = outcomeOf(c.file);
        if (c.expected == "read") {
            EXPECT_EQ(outcome, "read") << c.what;
        } else {
            EXPECT_EQ(outcome.rfind("Cannot read crafted.xls: ", 0), 0u)
                << c.what << ": " << outcome;
            EXPECT_NE(outcome.find(c.expected), std::string::npos) << c.what << ": " << outcome;
        }
    }
}

TEST(CraftedDamage, SheetOffsetsOutsideTheStreamOrSharedByTwoSheetsAreRefused) {
    std::string stream =
        workbookStream(true, "", {{"A", 0, number(0, 0, 1)}, {"B", 0, number(0, 0, 2)}});
    // Point sheet B at sheet A's substream, then past the end of the stream.
    const size_t firstOffset = stream.find("\x85\x00", 0);
    ASSERT_NE(firstOffset, std::string::npos);
    const size_t secondOffset = stream.find(std::string("\x85\x00", 2), firstOffset + 2);
    std::string shared = stream;
    shared.replace(secondOffset + 4, 4, stream.substr(firstOffset + 4, 4));
    EXPECT_NE(outcomeOf(compoundFile("Workbook", shared))
                  .find("sheet \"B\" does not start where the workbook says"),
              std::string::npos);
    std::string outside = stream;
    outside.replace(secondOffset + 4, 4, le32(0xFFFFFFF0u));
    EXPECT_NE(outcomeOf(compoundFile("Workbook", outside))
                  .find("sheet \"B\" does not start where the workbook says"),
              std::string::npos);
    std::string notABof = stream;
    notABof.replace(secondOffset + 4, 4, le32(20));  // inside the globals, not at a BOF record
    EXPECT_NE(
        outcomeOf(compoundFile("Workbook", notABof)).find("Cannot read crafted.xls: it is damaged"),
        std::string::npos);
}

TEST(CraftedDamage, ClaimedSizesNeverDriveMemory) {
    // A string claiming 65,535 16-bit characters followed by a long chain of empty CONTINUE
    // records, and a MULRK running off the last column: read within the file.
    std::string chain = rec(0x00FC, le32(1) + le32(1) + le16(0xFFFF) + '\x01');
    for (int i = 0; i < 20000; ++i) chain += rec(0x003C, "");
    std::string mulrk = le16(0) + le16(0xFFF0);
    for (int i = 0; i < 100; ++i) mulrk += le16(15) + le32((static_cast<uint32_t>(i) << 2) | 2);
    mulrk += le16(0xFFFF);
    const Workbook book = read(excel97(chain, {{"S", 0, rec(0x00BD, mulrk) + number(0, 0, 1)}}));
    EXPECT_EQ(book.sheets.at(0).cellCount(), 1u) << "columns past 16,384 are ignored";

    // One long shared string repeated by many cells would make a huge workbook from a small
    // file: refused once the text passes what the file's size allows.
    std::string cells;
    for (int row = 0; row < 4000; ++row) cells += labelSst(static_cast<uint16_t>(row), 0, 0);
    const std::string repeated = excel97(sst({std::string(8000, 'x')}, 1), {{"S", 0, cells}});
    EXPECT_NE(outcomeOf(repeated).find("holds more text than its file size allows"),
              std::string::npos);
}

TEST(CraftedSharedStrings, RichTextAndPhoneticPartsAreSkippedExactly) {
    // Each string's runs (4 bytes each) and phonetic block follow its characters; whatever is
    // skipped wrongly shows in the string after it. Options: 0x01 16-bit, 0x04 phonetic,
    // 0x08 rich text; the run count comes before the phonetic size.
    const std::string phonetic8 = le16(3) + '\x04' + le32(10) + "abc" + std::string(10, '\x7F');
    const std::string richPhonetic16 = le16(2) + '\x0D' + le16(3) + le32(6) + "\xA9\x03\xC9\x03" +
                                       std::string(12, '\x21') + std::string(6, '\x7E');
    const std::string rich8 = le16(4) + '\x08' + le16(2) + "rich" + std::string(8, '\x22');
    const std::string plain = le16(3) + '\0' + "end";
    // The last phonetic block straddles a CONTINUE record.
    const std::string split = le16(4) + '\x04' + le32(9) + "last" + std::string(5, '\x7D');
    const std::string globals =
        rec(0x00FC, le32(6) + le32(6) + phonetic8 + richPhonetic16 + rich8 + plain + split) +
        rec(0x003C, std::string(4, '\x7D') + le16(4) + '\0' + "next");
    std::string cells;
    for (uint16_t i = 0; i < 6; ++i) cells += labelSst(i, 0, i);
    const Workbook book = read(excel97(globals, {{"S", 0, cells}}));
    const auto& sheet = book.sheets.at(0);
    const std::vector<std::string> expected = {"abc", "Ωω", "rich", "end", "last", "next"};
    for (int row = 1; row <= 6; ++row) {
        ASSERT_NE(sheet.cell(row, 1), nullptr) << "row " << row;
        EXPECT_EQ(sheet.cell(row, 1)->text, expected[row - 1]) << "row " << row;
    }
}

TEST(CraftedSharedStrings, SixteenBitTextBecomesUtf8AtEveryLengthBoundary) {
    // U+007F U+0080 U+07FF U+0800 U+FFFF U+10000 U+10FFFF: one, two, three and four UTF-8 bytes,
    // the last two from surrogate pairs.
    const std::string units(
        "\x7F\x00\x80\x00\xFF\x07\x00\x08\xFF\xFF\x00\xD8\x00\xDC\xFF\xDB\xFF\xDF", 18);
    const std::string string16 = le16(9) + '\x01' + units;
    const Workbook book =
        read(excel97(rec(0x00FC, le32(1) + le32(1) + string16), {{"S", 0, labelSst(0, 0, 0)}}));
    EXPECT_EQ(book.sheets.at(0).cell(1, 1)->text,
              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

TEST(CraftedCells, DuplicatesWrittenBottomUpKeepTheLastRecordPerCell) {
    // Rows from the bottom up (so every cell arrives out of order), each cell written three
    // times: the third record holds its value. Enough cells that an unstable sort would mix
    // the three up.
    std::string records;
    for (int row = 599; row >= 0; --row) {
        for (uint16_t col = 0; col < 3; ++col) {
            for (int version = 1; version <= 3; ++version) {
                records += number(static_cast<uint16_t>(row), col, row * 10 + version);
            }
        }
    }
    const Workbook book = read(excel97("", {{"S", 0, records}}));
    const auto& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cellCount(), 1800u);
    int wrong = 0;
    for (int row = 1; row <= 600; ++row) {
        for (int col = 1; col <= 3; ++col)
            wrong += sheet.cell(row, col)->number != (row - 1) * 10 + 3;
    }
    EXPECT_EQ(wrong, 0);
}
