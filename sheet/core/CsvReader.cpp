// A streaming CSV parser: the file is read in blocks, each record's fields go straight into the
// sheet, so memory follows the cells, not the file.
#include "sheet/core/CsvReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/ReadError.h"
#include "sheet/core/SheetBuilder.h"

namespace kestrel {

namespace {

constexpr size_t kBlock = size_t{1} << 16;
constexpr size_t kLongestField = 4 * 32767;  // bytes of the longest text a cell holds

/// Checks UTF-8 across block boundaries: lead bytes, continuation bytes, no overlong forms,
/// no surrogates, nothing past U+10FFFF.
class Utf8Check {
  public:
    bool accept(unsigned char c) {
        if (m_need == 0) {
            if (c < 0x80) return true;
            if (c >= 0xC2 && c <= 0xDF) return start(1, 0x80, 0xBF);
            if (c == 0xE0) return start(2, 0xA0, 0xBF);
            if (c == 0xED) return start(2, 0x80, 0x9F);
            if (c >= 0xE1 && c <= 0xEF) return start(2, 0x80, 0xBF);
            if (c == 0xF0) return start(3, 0x90, 0xBF);
            if (c >= 0xF1 && c <= 0xF3) return start(3, 0x80, 0xBF);
            if (c == 0xF4) return start(3, 0x80, 0x8F);
            return false;
        }
        if (c < m_low || c > m_high) return false;
        --m_need;
        m_low = 0x80;
        m_high = 0xBF;
        return true;
    }
    bool complete() const { return m_need == 0; }

  private:
    bool start(int need, unsigned char low, unsigned char high) {
        m_need = need;
        m_low = low;
        m_high = high;
        return true;
    }
    int m_need = 0;
    unsigned char m_low = 0x80, m_high = 0xBF;
};

/// The separator: ";" when the first record has more of them than "," outside quotes.
char chooseSeparator(std::string_view start) {
    size_t commas = 0, semicolons = 0;
    bool quoted = false;
    for (const char c : start) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        commas += c == ',';
        semicolons += c == ';';
    }
    return semicolons > commas ? ';' : ',';
}

class CsvParser {
  public:
    CsvParser(Worksheet& sheet, const std::string& fileName, char separator)
        : m_fileName(fileName), m_builder(sheet, fileName), m_separator(separator) {}

    void feed(std::string_view block) {
        const char* p = block.data();
        const char* const end = p + block.size();
        while (p < end) {
            // Inside a field, a run of plain ASCII characters goes in at once; whatever ends
            // the run takes the step by step path.
            if ((m_state == State::Unquoted || m_state == State::Quoted) && m_utf8.complete()) {
                const char* run = p;
                if (m_state == State::Unquoted) {
                    while (run < end && plainUnquoted(*run)) ++run;
                } else {
                    while (run < end && plainQuoted(*run)) ++run;
                }
                if (run != p) {
                    appendRun(p, run);
                    p = run;
                    continue;
                }
            }
            if (!m_utf8.accept(static_cast<unsigned char>(*p))) notUtf8();
            step(*p++);
        }
    }

    void finish() {
        if (!m_utf8.complete()) notUtf8();
        if (m_state == State::Quoted) {
            fail("a quoted field that starts on line " + std::to_string(m_quoteLine) +
                 " is never closed");
        }
        if (m_state != State::RecordStart && m_state != State::AfterCr) endRecord();
        m_builder.finish();
    }

  private:
    enum class State { RecordStart, FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterCr };

    [[noreturn]] void fail(const std::string& what) { throw readError(m_fileName, what); }
    [[noreturn]] void notUtf8() {
        fail("line " + std::to_string(m_line) +
             " is not UTF-8 text; save the file as CSV in UTF-8 and open that");
    }

    void step(char c) {
        switch (m_state) {
            case State::AfterCr:
                m_state = State::RecordStart;
                if (c == '\n') return;  // CRLF is one line end
                [[fallthrough]];
            case State::RecordStart:
            case State::FieldStart:
                if (c == '"') {
                    m_state = State::Quoted;
                    m_quoteLine = m_line;
                    return;
                }
                m_state = State::Unquoted;
                [[fallthrough]];
            case State::Unquoted:
                unquoted(c);
                return;
            case State::Quoted:
                if (c == '"') {
                    m_state = State::QuoteInQuoted;
                } else {
                    if (c == '\n') ++m_line;
                    append(c);
                }
                return;
            case State::QuoteInQuoted:
                if (c == '"') {  // a doubled quote stands for one
                    append(c);
                    m_state = State::Quoted;
                    return;
                }
                // Text after the closing quote is kept, as spreadsheet programs do.
                m_state = State::Unquoted;
                unquoted(c);
                return;
        }
    }

    void unquoted(char c) {
        if (c == m_separator) {
            endField();
            m_state = State::FieldStart;
        } else if (c == '\n' || c == '\r') {
            endRecord();
            ++m_line;
            m_state = c == '\r' ? State::AfterCr : State::RecordStart;
        } else {
            append(c);
        }
    }

    bool plainUnquoted(char c) const {
        return static_cast<unsigned char>(c) < 0x80 && c != m_separator && c != '\n' && c != '\r';
    }
    static bool plainQuoted(char c) {
        return static_cast<unsigned char>(c) < 0x80 && c != '"' && c != '\n';
    }

    void appendRun(const char* from, const char* to) {
        if (m_field.size() + static_cast<size_t>(to - from) > kLongestField) {
            while (from < to) append(*from++);  // fails at the limit, as one by one would
            return;
        }
        m_field.append(from, to);
    }

    void append(char c) {
        if (m_field.size() >= kLongestField) {
            fail("line " + std::to_string(m_line) +
                 " holds a field longer than the 32,767 characters a cell holds");
        }
        m_field.push_back(c);
    }

    void endField() {
        ++m_col;
        if (m_row > kMaxSheetRows) {
            fail("it has more than " + std::to_string(kMaxSheetRows) +
                 " records, more rows than a sheet holds");
        }
        if (m_col > kMaxSheetCols) {
            fail("line " + std::to_string(m_line) + " has more than " +
                 std::to_string(kMaxSheetCols) + " fields, more columns than a sheet holds");
        }
        if (!m_field.empty()) {
            if (const auto number = fieldNumber()) {
                m_builder.add(m_row, m_col, Cell::makeNumber(*number));
            } else {
                m_builder.add(m_row, m_col, Cell::makeText(m_field));
            }
        }
        m_field.clear();
    }

    // A field that is a number by the real-number rule; in a ";" file also one whose single ","
    // is its decimal point (what a spreadsheet set to a decimal comma saves), as long as no "."
    // makes it ambiguous. One column keeps to one of the two styles.
    std::optional<double> fieldNumber() {
        std::optional<double> number = parseRealNumber(m_field);
        if (m_separator != ';') return number;
        char style = number && m_field.find('.') != std::string::npos ? '.' : 0;
        if (!number && std::count(m_field.begin(), m_field.end(), ',') == 1 &&
            m_field.find('.') == std::string::npos) {
            std::string dotted = m_field;
            dotted[dotted.find(',')] = '.';
            number = parseRealNumber(dotted);
            if (number) style = ',';
        }
        if (style != 0) checkDecimalStyle(style);
        return number;
    }

    void checkDecimalStyle(char style) {
        if (m_decimalStyles.size() < static_cast<size_t>(m_col)) {
            m_decimalStyles.resize(static_cast<size_t>(m_col));
        }
        DecimalStyle& column = m_decimalStyles[static_cast<size_t>(m_col - 1)];
        if (column.style == 0) {
            column = {style, m_row, m_field};
        } else if (column.style != style) {
            const auto name = [](char s) {
                return s == ',' ? "a decimal comma" : "a decimal point";
            };
            fail("cell " + cellAddress(m_row, m_col) + " holds \"" + messageExcerpt(m_field) +
                 "\" with " + name(style) + ", but cell " + cellAddress(column.row, m_col) +
                 " above holds \"" + messageExcerpt(column.text) + "\" with " + name(column.style) +
                 "; use one decimal separator in a column");
        }
    }

    void endRecord() {
        endField();
        m_col = 0;
        ++m_row;
    }

    const std::string& m_fileName;
    SheetBuilder m_builder;
    const char m_separator;
    Utf8Check m_utf8;
    State m_state = State::RecordStart;
    std::string m_field;
    int m_row = 1, m_col = 0;  // the record being read, the fields ended in it
    struct DecimalStyle {      // the first number of a column with a decimal separator
        char style = 0;        // '.' or ','; 0 until the column has one
        int row = 0;
        std::string text;
    };
    std::vector<DecimalStyle> m_decimalStyles;
    size_t m_line = 1, m_quoteLine = 0;
};

std::string sheetNameOf(const std::string& path) {
    const std::filesystem::path file(path);
    std::string name = file.stem().string();
    return name.empty() ? "Sheet1" : name;
}

std::string_view withoutBom(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

}  // namespace

Workbook readCsvBytes(std::string_view bytes, const std::string& displayName) {
    Workbook book;
    book.sheets.emplace_back(sheetNameOf(displayName));
    bytes = withoutBom(bytes);
    CsvParser parser(book.sheets.back(), displayName, chooseSeparator(bytes.substr(0, kBlock)));
    parser.feed(bytes);
    parser.finish();
    return book;
}

Workbook readCsvFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw readError(path, std::string("it cannot be opened (") + std::strerror(errno) + ")");
    }
    std::string block(kBlock, '\0');
    size_t got = std::fread(block.data(), 1, block.size(), file.get());
    const std::string_view first = withoutBom(std::string_view(block.data(), got));
    Workbook book;
    book.sheets.emplace_back(sheetNameOf(path));
    CsvParser parser(book.sheets.back(), path, chooseSeparator(first));
    parser.feed(first);
    while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        parser.feed(std::string_view(block.data(), got));
    }
    if (std::ferror(file.get())) {
        throw readError(path, std::string("it cannot be read (") + std::strerror(errno) + ")");
    }
    parser.finish();
    return book;
}

}  // namespace kestrel
