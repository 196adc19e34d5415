// The .xlsx cell sink: SpreadsheetML parts streamed into a ZIP package through libgsf. Numbers
// are written as the shortest text that reads back as the same double (libxlsxwriter keeps only
// 16 significant digits, which changes some values).
#include "sheet/core/XlsxWriter.h"

#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include <cmath>
#include <set>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/CsvWriter.h"
#include "sheet/core/ExcelSheetNames.h"
#include "sheet/core/GLibLogCapture.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/XlsxParts.h"

namespace kestrel {
namespace {

constexpr size_t kMaxCellTextLength = 32767;
constexpr size_t kFlushBytes = 1 << 20;
// zlib's fastest level: sheet XML still shrinks about tenfold, at a fraction of the default
// level's time (a million-row sheet: seconds instead of a quarter of a minute).
constexpr int kDeflateLevel = 1;

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
using OutputPtr = std::unique_ptr<GsfOutput, GObjectUnref>;

class XlsxSink : public CellSink {
  public:
    XlsxSink(const std::string& path, std::string displayPath)
        : m_displayPath(std::move(displayPath)) {
        GError* error = nullptr;
        m_file.reset(GSF_OUTPUT(gsf_output_stdio_new(path.c_str(), &error)));
        if (!m_file) failWith(error);
        m_zip.reset(GSF_OUTPUT(gsf_outfile_zip_new(m_file.get(), &error)));
        if (!m_zip) failWith(error);
        m_xl.reset(newChild(GSF_OUTFILE(m_zip.get()), "xl", true));
    }
    ~XlsxSink() override {
        // An unfinished package is closed as it is; the caller removes the temporary file.
        GLibLogCapture quiet;
        for (OutputPtr* part : {&m_sheetPart, &m_worksheets, &m_xl, &m_zip, &m_file}) {
            if (*part && !gsf_output_is_closed(part->get())) gsf_output_close(part->get());
        }
    }

    void beginSheet(const std::string& name) override {
        endSheet();
        checkSheetName(name);
        m_sheetNames.push_back(name);
        if (!m_worksheets)
            m_worksheets.reset(newChild(GSF_OUTFILE(m_xl.get()), "worksheets", true));
        const std::string part = "sheet" + std::to_string(m_sheetNames.size()) + ".xml";
        m_sheetPart.reset(newChild(GSF_OUTFILE(m_worksheets.get()), part.c_str(), false));
        m_buffer = xlsx::kWorksheetStart;
        m_row = 0;
    }
    void number(int row, int col, double value) override {
        if (!std::isfinite(value)) return error(row, col, "#NUM!");
        cell(row, col, nullptr);
        m_buffer += "<v>";
        m_buffer += shortestNumberText(value);
        m_buffer += "</v></c>";
        flushIfFull();
    }
    void text(int row, int col, std::string_view text) override {
        if (utf16Length(text) > kMaxCellTextLength) {
            fail("cell " + cellAddress(row, col) + " of sheet \"" + m_sheetNames.back() +
                 "\" holds more than 32,767 characters, which .xlsx does not hold in a cell");
        }
        cell(row, col, "inlineStr");
        m_buffer += "<is><t xml:space=\"preserve\">";
        xlsx::appendEscaped(m_buffer, text);
        m_buffer += "</t></is></c>";
        flushIfFull();
    }
    void boolean(int row, int col, bool value) override {
        cell(row, col, "b");
        m_buffer += value ? "<v>1</v></c>" : "<v>0</v></c>";
    }
    void error(int row, int col, std::string_view literal) override {
        cell(row, col, "e");
        m_buffer += "<v>";
        xlsx::appendEscaped(m_buffer, literal);
        m_buffer += "</v></c>";
    }
    void finish() override {
        if (m_sheetNames.empty()) beginSheet("Sheet1");
        endSheet();
        closePart(m_worksheets);
        writePart(GSF_OUTFILE(m_xl.get()), "workbook.xml", xlsx::workbookXml(m_sheetNames));
        writePart(GSF_OUTFILE(m_xl.get()), "styles.xml", xlsx::kStylesXml);
        {
            OutputPtr rels(newChild(GSF_OUTFILE(m_xl.get()), "_rels", true));
            writePart(GSF_OUTFILE(rels.get()), "workbook.xml.rels",
                      xlsx::workbookRelsXml(m_sheetNames.size()));
            closePart(rels);
        }
        closePart(m_xl);
        {
            OutputPtr rels(newChild(GSF_OUTFILE(m_zip.get()), "_rels", true));
            writePart(GSF_OUTFILE(rels.get()), ".rels", xlsx::kPackageRelsXml);
            closePart(rels);
        }
        writePart(GSF_OUTFILE(m_zip.get()), "[Content_Types].xml",
                  xlsx::contentTypesXml(m_sheetNames.size()));
        closePart(m_zip);
        closePart(m_file);
    }

  private:
    void checkSheetName(const std::string& name) {
        if (auto problem = excelSheetNameProblem(name)) fail(*problem);
        if (!m_upperNames.insert(upperAscii(name)).second) {
            fail("two sheets are named \"" + name + "\"");
        }
    }

    // Opens the element of a cell, and of its row when the row is new.
    void cell(int row, int col, const char* type) {
        if (m_sheetNames.empty()) fail("a cell comes before any sheet");
        if (row != m_row) {
            if (m_row != 0) m_buffer += "</row>";
            m_buffer += "<row r=\"" + std::to_string(row) + "\">";
            m_row = row;
            m_col = 0;
        }
        // A cell right after the one before in its row needs no reference (a third of a
        // million-row sheet's text); one after a gap names its place.
        m_buffer += "<c";
        if (col != m_col + 1) m_buffer += " r=\"" + cellAddress(row, col) + "\"";
        m_col = col;
        if (type) {
            m_buffer += " t=\"";
            m_buffer += type;
            m_buffer += '"';
        }
        m_buffer += '>';
    }
    void flushIfFull() {
        if (m_buffer.size() >= kFlushBytes) flush();
    }
    void flush() {
        write(m_sheetPart.get(), m_buffer);
        m_buffer.clear();
    }
    void endSheet() {
        if (!m_sheetPart) return;
        if (m_row != 0) m_buffer += "</row>";
        m_buffer += xlsx::kWorksheetEnd;
        flush();
        closePart(m_sheetPart);
    }

    GsfOutput* newChild(GsfOutfile* parent, const char* name, bool folder) {
        GLibLogCapture log;
        GsfOutput* child = folder ? gsf_outfile_new_child(parent, name, TRUE)
                                  : gsf_outfile_new_child_full(
                                        parent, name, FALSE, "compression-level", GSF_ZIP_DEFLATED,
                                        "deflate-level", kDeflateLevel, nullptr);
        if (!child) fail(log.reasonWithDetail(std::string("the part ") + name + " cannot be made"));
        return child;
    }
    void write(GsfOutput* part, std::string_view bytes) {
        GLibLogCapture log;
        if (!bytes.empty() &&
            !gsf_output_write(part, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()))) {
            failOutput(part, log);
        }
    }
    void writePart(GsfOutfile* parent, const char* name, std::string_view bytes) {
        OutputPtr part(newChild(parent, name, false));
        write(part.get(), bytes);
        closePart(part);
    }
    void closePart(OutputPtr& part) {
        GLibLogCapture log;
        if (part && !gsf_output_is_closed(part.get()) && !gsf_output_close(part.get())) {
            failOutput(part.get(), log);
        }
        part.reset();
    }

    [[noreturn]] void failOutput(GsfOutput* output, const GLibLogCapture& log) const {
        const GError* error = gsf_output_error(output);
        fail(log.reasonWithDetail("the package cannot be written",
                                  error ? error->message : nullptr));
    }
    [[noreturn]] void failWith(GError* error) const {
        const std::string detail = error && error->message ? libraryDetail(error->message) : "";
        if (error) g_error_free(error);
        fail(detail.empty() ? "the file cannot be created" : detail);
    }
    [[noreturn]] void fail(const std::string& reason) const {
        throw KestrelError("Cannot write " + m_displayPath + ": " + reason);
    }

    std::string m_displayPath;
    OutputPtr m_file, m_zip, m_xl, m_worksheets, m_sheetPart;
    std::vector<std::string> m_sheetNames;
    std::set<std::string> m_upperNames;
    std::string m_buffer;
    int m_row = 0, m_col = 0;
};

}  // namespace

std::unique_ptr<CellSink> openXlsxSink(const std::string& path, const std::string& displayPath) {
    return std::make_unique<XlsxSink>(path, displayPath);
}

}  // namespace kestrel
