// The .csv cell sink: fields are buffered per row and written with stdio.
#include "sheet/core/CsvWriter.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

bool needsQuotes(std::string_view field) {
    if (field.empty()) return false;
    if (field.front() == ' ' || field.back() == ' ') return true;
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void appendField(std::string& line, std::string_view field) {
    if (!needsQuotes(field)) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

class CsvSink : public CellSink {
  public:
    CsvSink(const std::string& path, std::string displayPath)
        : m_displayPath(std::move(displayPath)), m_file(std::fopen(path.c_str(), "wb")) {
        if (!m_file) fail(std::strerror(errno));
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
    }
    ~CsvSink() override {
        if (m_file) std::fclose(m_file);
    }

    void beginSheet(const std::string& name) override {
        if (++m_sheets > 1) m_laterSheet = name;
    }
    void number(int row, int col, double value) override {
        put(row, col, shortestNumberText(value));
    }
    void text(int row, int col, std::string_view text) override { put(row, col, text); }
    void boolean(int row, int col, bool value) override { put(row, col, value ? "TRUE" : "FALSE"); }
    void error(int row, int col, std::string_view literal) override { put(row, col, literal); }

    void finish() override {
        endRow();
        const bool failed = std::ferror(m_file) != 0;
        const int closed = std::fclose(m_file);
        m_file = nullptr;
        if (failed || closed != 0) fail(std::strerror(errno ? errno : EIO));
    }

  private:
    void put(int row, int col, std::string_view field) {
        if (!m_laterSheet.empty()) {
            fail("a .csv file holds one sheet, and sheet \"" + m_laterSheet +
                 "\" holds cells too; save as an Excel workbook to keep every sheet");
        }
        if (row != m_row) {
            endRow();
            for (; m_row + 1 < row; ++m_row) writeLine({});
            m_row = row;
            m_col = 0;
        }
        // The field of column c follows c - 1 commas.
        m_line.append(static_cast<size_t>(col - 1 - std::max(m_col - 1, 0)), ',');
        appendField(m_line, field);
        m_col = col;
    }
    void endRow() {
        if (m_row == 0) return;
        writeLine(m_line);
        m_line.clear();
    }
    void writeLine(const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fwrite("\r\n", 1, 2, m_file);
    }
    [[noreturn]] void fail(const std::string& reason) const {
        throw KestrelError("Cannot write " + m_displayPath + ": " + reason);
    }

    std::string m_displayPath;
    std::FILE* m_file;
    int m_sheets = 0;
    std::string m_laterSheet;
    int m_row = 0, m_col = 0;
    std::string m_line;
};

}  // namespace

std::string shortestNumberText(double value) {
    if (!std::isfinite(value)) return "#NUM!";
    char buffer[32];
    // to_chars without a precision gives the shortest text that reads back exactly, with "."
    // whatever the C library's locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::unique_ptr<CellSink> openCsvSink(const std::string& path, const std::string& displayPath) {
    return std::make_unique<CsvSink>(path, displayPath);
}

}  // namespace kestrel
