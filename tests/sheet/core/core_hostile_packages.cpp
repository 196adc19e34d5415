// Hostile .xlsx, .ods and .csv files: a ZIP bomb, a part that declares 2 GB, a cut-off package,
// entity bombs and external entities, references past the shared string table, cells past the
// sheet's extent and repeat counts that would fill every cell. Each is refused with a message
// naming the file, within 64 MB; and what honest files do with repeats costs
// nothing.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/KestrelError.h"
#include "sheet/core/SpreadsheetCore.h"
#include "tests/fuzz/PackageReaderChecks.h"

namespace {

namespace fs = std::filesystem;
using kestrel::fuzz::odsWithContent;
using kestrel::fuzz::xlsxWithSheet;

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string le(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

struct ZipEntry {
    std::string name, data;
    uint16_t method;        // 0 stored, 8 deflated
    uint32_t declaredSize;  // what the headers say the entry inflates to
};

/// A ZIP file written by hand, so that its headers can say what a crafted file says.
std::string zipOf(const std::vector<ZipEntry>& entries) {
    std::string locals, centrals;
    for (const ZipEntry& e : entries) {
        const uint32_t crc =
            e.method == 0
                ? static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                              static_cast<uInt>(e.data.size())))
                : 0;
        const std::string common = le(0, 2) + le(e.method, 2) + le(0, 4) + le(crc, 4) +
                                   le(static_cast<uint32_t>(e.data.size()), 4) +
                                   le(e.declaredSize, 4) +
                                   le(static_cast<uint32_t>(e.name.size()), 2) + le(0, 2);
        centrals += le(0x02014b50, 4) + le(20, 2) + le(20, 2) + common + le(0, 2) + le(0, 2) +
                    le(0, 2) + le(0, 4) + le(static_cast<uint32_t>(locals.size()), 4) + e.name;
        locals += le(0x04034b50, 4) + le(20, 2) + common + e.name + e.data;
    }
    const auto count = static_cast<uint32_t>(entries.size());
    return locals + centrals + le(0x06054b50, 4) + le(0, 2) + le(0, 2) + le(count, 2) +
           le(count, 2) + le(static_cast<uint32_t>(centrals.size()), 4) +
           le(static_cast<uint32_t>(locals.size()), 4) + le(0, 2);
}

std::string deflated(const std::string& text) {
    std::string out(compressBound(static_cast<uLong>(text.size())) + 64, '\0');
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

const ZipEntry kOdsMimetype{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", 0, 46};

/// Raw deflate data that inflates to `megabytes` MiB of spaces: one flushed block, repeated.
std::string deflatedSpaces(int megabytes) {
    const std::string spaces(1 << 20, ' ');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string block(1 << 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(spaces.data()));
    z.avail_in = static_cast<uInt>(spaces.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = static_cast<uInt>(block.size());
    deflate(&z, Z_FULL_FLUSH);  // byte-aligned, no reference to earlier data: repeatable
    block.resize(block.size() - z.avail_out);
    deflateEnd(&z);
    std::string stream;
    for (int i = 0; i < megabytes; ++i) stream += block;
    return stream + std::string("\x03\x00", 2);  // a final empty block
}

class HostilePackages : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("kestrel-hostile-pkg-" + std::to_string(getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    /// Loads the bytes as a file into a component: "read", or the reason after
    /// "Cannot read <path>: ". Fails when it raises the peak memory by more than 64 MB.
    std::string load(const std::string& name, const std::string& bytes) {
        const std::string path = (m_folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        const long before = peakResidentKilobytes();
        std::string outcome = "read";
        try {
            int16_t fileType = 0;
            m_component.ReadWorkbook(path, fileType);
        } catch (const kestrel::KestrelError& error) {
            outcome = error.what();
            const std::string prefix = "Cannot read " + path + ": ";
            EXPECT_EQ(outcome.rfind(prefix, 0), 0u) << outcome;
            outcome = outcome.substr(std::min(prefix.size(), outcome.size()));
        }
        EXPECT_LT(peakResidentKilobytes() - before, 64 * 1024) << name;
        return outcome;
    }

    fs::path m_folder;
    kestrel::SpreadsheetCore m_component;
};

const std::string kSheetStart =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const std::string kSheetEnd = "</sheetData></worksheet>";

std::string odsContent(const std::string& rows) {
    return "<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
           "<office:spreadsheet><table:table table:name=\"T\">" +
           rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
}

}  // namespace

TEST_F(HostilePackages, BrokenContainersAreRefused) {
    // 2 GiB of spaces in 2 MB, where a spreadsheet's content belongs.
    const std::string bomb =
        zipOf({kOdsMimetype, {"content.xml", deflatedSpaces(2048), 8, 0x80000000u}});
    EXPECT_EQ(load("bomb.ods", bomb),
              "it inflates to far more data than a spreadsheet of its size holds; it is damaged "
              "or a ZIP bomb");
    // A part that says it inflates to 2 GB but holds a few bytes.
    const std::string content = odsContent(
        "<table:table-row><table:table-cell office:value-type="
        "\"float\" office:value=\"1\"/></table:table-row>");
    const std::string claims =
        zipOf({kOdsMimetype, {"content.xml", deflated(content), 8, 0x80000000u}});
    EXPECT_NE(load("claims.ods", claims).find("content.xml"), std::string::npos);
    // The same package, honest, is read: the refusal above is about the claim.
    const std::string honest =
        zipOf({kOdsMimetype,
               {"content.xml", deflated(content), 8, static_cast<uint32_t>(content.size())}});
    EXPECT_EQ(load("honest.ods", honest), "read");
    // A package cut off halfway.
    std::ifstream in(std::string(KESTREL_TEST_DATA_DIR) + "/workbooks/formulas.xlsx",
                     std::ios::binary);
    const std::string whole(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(load("cut.xlsx", whole.substr(0, whole.size() / 2))
                  .rfind("it is damaged: its ZIP structure is broken or cut short", 0),
              0u);
}

TEST_F(HostilePackages, CraftedXmlIsRefused) {
    std::string laughs = "<!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) laughs += "&lol" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]>";
    const std::string doctype =
        "it is damaged: its part xl/worksheets/sheet1.xml declares a document type or entities, "
        "which no spreadsheet does";
    EXPECT_EQ(load("laughs.xlsx", xlsxWithSheet(laughs + kSheetStart +
                                                "<row><c t=\"inlineStr\"><is><t>&lol9;</t></is>"
                                                "</c></row>" +
                                                kSheetEnd)),
              doctype);
    EXPECT_EQ(load("external.xlsx",
                   xlsxWithSheet("<!DOCTYPE w [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>" +
                                 kSheetStart +
                                 "<row><c t=\"inlineStr\"><is><t>&e;</t></is></c>"
                                 "</row>" +
                                 kSheetEnd)),
              doctype);
    EXPECT_EQ(
        load("sst.xlsx", xlsxWithSheet(kSheetStart +
                                       "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c>"
                                       "<c r=\"B1\" t=\"s\"><v>2147483647</v></c></row>" +
                                       kSheetEnd)),
        "it is damaged: sheet \"Data\" (part xl/worksheets/sheet1.xml) has cell B1 that refers "
        "to shared string 2147483647, but the workbook holds only 2 shared strings");
    EXPECT_EQ(
        load("far.xlsx",
             xlsxWithSheet(kSheetStart + "<row r=\"1048577\"><c><v>1</v></c></row>" + kSheetEnd)),
        "sheet \"Data\" has a cell in row 1048577, outside the rows 1 to 1048576 a sheet holds");
    EXPECT_EQ(load("wide.xlsx", xlsxWithSheet(kSheetStart +
                                              "<row><c r=\"XFE1\"><v>1</v></c></row>" + kSheetEnd)),
              "sheet \"Data\" has a cell in column 16385, outside the columns 1 (A) to 16384 (XFD) "
              "a sheet holds");
    // Every cell of every row from eighty bytes.
    EXPECT_NE(load("repeats.ods",
                   odsWithContent(odsContent(
                       "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
                       "table:number-columns-repeated=\"16384\" office:value-type=\"float\" "
                       "office:value=\"1\"/></table:table-row>")))
                  .find("more repeated cells than a spreadsheet holds"),
              std::string::npos);
    std::string wideCsv(16384, ',');
    EXPECT_EQ(load("wide.csv", "a" + wideCsv + "b\n"),
              "line 1 has more than 16384 fields, more columns than a sheet holds");
}

TEST_F(HostilePackages, EmptyRepeatsAndDeclaredExtentsCostNothing) {
    // As office programs write them: empty rows and cells repeated to the sheet's end.
    const std::string rows =
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Age</text:p>"
        "</table:table-cell><table:table-cell table:number-columns-repeated=\"16383\"/>"
        "</table:table-row><table:table-row table:number-rows-repeated=\"1048000\">"
        "<table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>"
        "<table:table-row><table:table-cell table:number-columns-repeated=\"16000\"/>"
        "<table:table-cell office:value-type=\"float\" office:value=\"5\"/>"
        "<table:table-cell table:number-columns-repeated=\"383\"/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"575\"><table:table-cell "
        "table:number-columns-repeated=\"16384\"/></table:table-row>";
    ASSERT_EQ(load("repeats.ods", odsWithContent(odsContent(rows))), "read");
    EXPECT_EQ(m_component.MaxRow(), 1048002);
    EXPECT_EQ(m_component.workbook().sheets.at(0).cellCount(), 2u);
    m_component.SetRow(1048002), m_component.SetCol(16001);
    EXPECT_EQ(m_component.Number(), 5.0);
    // A dimension that claims the whole sheet above three cells.
    ASSERT_EQ(load("dimension.xlsx",
                   xlsxWithSheet("<worksheet xmlns=\"http://schemas.openxmlformats.org/"
                                 "spreadsheetml/2006/main\"><dimension ref=\"A1:XFD1048576\"/>"
                                 "<sheetData><row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c>"
                                 "<c t=\"s\"><v>1</v></c><c><f>1+1</f></c><c t=\"b\"><v>1</v></c>"
                                 "</row></sheetData></worksheet>")),
              "read");
    EXPECT_EQ(m_component.workbook().sheets.at(0).cellCount(), 3u)
        << "a formula without a cached result is empty";
    m_component.SetRow(2), m_component.SetCol(2);
    EXPECT_EQ(m_component.Text(), "Y data") << "rich-text runs joined, column after A2";
}
