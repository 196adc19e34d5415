// The current-cell component: cursor, cell access with range checks, and file operations.
#include "sheet/core/SpreadsheetCore.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <future>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/ExcelSheetNames.h"
#include "sheet/core/WorkbookReader.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {

SpreadsheetCore::SpreadsheetCore() {
    m_book.sheets.emplace_back("Sheet1");
    m_maxRows.push_back(1);
}

void SpreadsheetCore::checkSheet(int sheet) const {
    if (sheet < 1 || sheet > NumSheets()) {
        throw KestrelError("Sheet " + std::to_string(sheet) + " does not exist: the workbook has " +
                           std::to_string(NumSheets()) + (NumSheets() == 1 ? " sheet" : " sheets"));
    }
}

void SpreadsheetCore::SetSheet(int sheet) {
    checkSheet(sheet);
    m_sheet = sheet;
    m_book.activeSheet = sheet;
    notify(SheetChange::ActiveSheet);
}

void SpreadsheetCore::SetRow(int row) {
    if (row < 1 || row > kMaxSheetRows) {
        throw KestrelError("Row " + std::to_string(row) +
                           " is outside the sheet: rows run from 1 to " +
                           std::to_string(kMaxSheetRows));
    }
    m_row = row;
}

void SpreadsheetCore::SetCol(int col) {
    if (col < 1 || col > kMaxSheetCols) {
        throw KestrelError(
            "Column " + std::to_string(col) + " is outside the sheet: columns run from 1 (A) to " +
            std::to_string(kMaxSheetCols) + " (" + columnLetters(kMaxSheetCols) + ")");
    }
    m_col = col;
}

std::string SpreadsheetCore::Text() const {
    const Cell* c = activeSheet().cell(m_row, m_col);
    if (!c) return {};
    return c->kind == CellKind::Number ? generalNumberText(c->number) : c->text;
}

void SpreadsheetCore::SetText(const std::string& text) {
    changed();
    activeSheet().setCell(m_row, m_col, text.empty() ? Cell{} : Cell::makeText(text));
    notify(SheetChange::Cells);
}

double SpreadsheetCore::Number() const {
    const Cell* c = activeSheet().cell(m_row, m_col);
    if (!c) return 0.0;
    switch (c->kind) {
        case CellKind::Empty:
            return 0.0;
        case CellKind::Number:
            return c->number;
        case CellKind::Boolean:
            // TRUE and FALSE are no measurements: refused like any other text.
            break;
        case CellKind::Text:
            if (auto v = parseRealNumber(c->text)) return *v;
            break;
        case CellKind::Error:
            break;
    }
    throw KestrelError("Cell " + cellAddress(m_row, m_col) + " of sheet \"" + activeSheet().name() +
                       "\" holds \"" + messageExcerpt(c->text) + "\", which is not a number");
}

std::optional<double> SpreadsheetCore::NumberUnlessEmpty() const {
    const Cell* c = activeSheet().cell(m_row, m_col);
    if (c == nullptr || c->kind == CellKind::Empty) return std::nullopt;
    if (c->kind == CellKind::Number) return c->number;
    if (c->kind == CellKind::Text && c->text.empty()) return std::nullopt;
    return Number();
}

void SpreadsheetCore::SetNumber(double value) {
    changed();
    activeSheet().setCell(m_row, m_col, Cell::makeNumber(value));
    notify(SheetChange::Cells);
}

void SpreadsheetCore::SetRowNumbers(int row, int firstCol, std::span<const double> values) {
    if (values.empty()) return;
    // The same checks as moving to the row, its first and its last cell.
    const int savedRow = m_row, savedCol = m_col;
    SetRow(row);
    SetCol(firstCol);
    SetCol(firstCol + static_cast<int>(values.size()) - 1);
    m_row = savedRow;
    m_col = savedCol;
    changed();
    std::vector<std::pair<int, Cell>> cells;
    cells.reserve(values.size());
    int col = firstCol;
    for (const double value : values) cells.emplace_back(col++, Cell::makeNumber(value));
    activeSheet().setRowCells(row, cells);
    notify(SheetChange::Cells);
}

int SpreadsheetCore::MaxRow() const {
    return m_maxRows[static_cast<size_t>(m_sheet - 1)];
}

void SpreadsheetCore::SetMaxRow(int rows) {
    if (rows < 1 || rows > kMaxSheetRows) {
        throw KestrelError("The grid cannot hold " + std::to_string(rows) +
                           " rows: it holds 1 to " + std::to_string(kMaxSheetRows));
    }
    m_maxRows[static_cast<size_t>(m_sheet - 1)] = rows;
    notify(SheetChange::MaxRow);
}

void SpreadsheetCore::SetFixedRows(int rows) {
    if (rows < 0 || rows > kMaxSheetRows) {
        throw KestrelError("Cannot fix " + std::to_string(rows) + " heading rows");
    }
    m_fixedRows = rows;
    notify(SheetChange::View);
}

void SpreadsheetCore::SetViewScale(int scale) {
    if (scale < 10 || scale > 400) {
        throw KestrelError("Zoom " + std::to_string(scale) + "% is outside 10% to 400%");
    }
    m_viewScale = static_cast<int16_t>(scale);
    notify(SheetChange::View);
}

Workbook SpreadsheetCore::readPumping(const std::string& path, WorkbookFormat& format) {
    constexpr std::chrono::milliseconds kPumpInterval{15};
    auto reading =
        std::async(std::launch::async, [&] { return readAnyWorkbookFile(path, format); });
    try {
        while (reading.wait_for(kPumpInterval) != std::future_status::ready) m_readPump(true);
    } catch (...) {
        reading.wait();
        m_readPump(false);
        throw;
    }
    m_readPump(false);
    return reading.get();
}

std::optional<SpreadsheetCore::ReadOrigin> SpreadsheetCore::originOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    ReadOrigin origin;
    origin.path = path;
    origin.device = info.st_dev;
    origin.inode = info.st_ino;
    origin.size = info.st_size;
    origin.seconds = info.st_mtim.tv_sec;
    origin.nanoseconds = info.st_mtim.tv_nsec;
    return origin;
}

void SpreadsheetCore::ReadWorkbook(const std::string& path, int16_t& fileType) {
    std::optional<ReadOrigin> origin = originOf(path);
    WorkbookFormat format = WorkbookFormat::Excel97;
    Workbook book = m_readPump ? readPumping(path, format) : readAnyWorkbookFile(path, format);
    fileType = static_cast<int16_t>(format);
    // A file that changed while it was read is not one to hand on.
    if (origin != originOf(path)) origin.reset();
    if (origin) origin->fileType = fileType;
    install(std::move(book));
    if (origin) origin->activeSheet = m_book.activeSheet;
    m_origin = std::move(origin);
}

bool SpreadsheetCore::TakeWorkbookFrom(SpreadsheetCore& other, const std::string& path,
                                       int16_t& fileType) {
    if (!other.m_origin || other.m_origin->path != path) return false;
    std::optional<ReadOrigin> now = originOf(path);
    if (!now) return false;
    now->fileType = other.m_origin->fileType;
    now->activeSheet = other.m_origin->activeSheet;
    if (*now != *other.m_origin) return false;
    Workbook book = std::move(other.m_book);
    book.activeSheet = now->activeSheet;
    other.install(Workbook{});
    other.m_origin.reset();
    fileType = now->fileType;
    install(std::move(book));
    m_origin = std::move(now);
    return true;
}

void SpreadsheetCore::SetWorkbook(Workbook book) {
    install(std::move(book));
    m_origin.reset();
}

void SpreadsheetCore::AppendSheet(Worksheet sheet) {
    if (sheet.name().empty()) throw KestrelError("A sheet needs a name");
    for (const Worksheet& existing : m_book.sheets) {
        if (existing.name() == sheet.name()) {
            throw KestrelError("The workbook has a sheet named \"" + sheet.name() + "\" already");
        }
    }
    m_maxRows.push_back(std::max(1, sheet.lastRow()));
    m_book.sheets.push_back(std::move(sheet));
    changed();
    notify(SheetChange::SheetNames);
}

void SpreadsheetCore::install(Workbook book) {
    if (book.sheets.empty()) book.sheets.emplace_back("Sheet1");
    std::vector<int> maxRows;
    for (const auto& s : book.sheets) maxRows.push_back(std::max(1, s.lastRow()));
    const int active = std::clamp(book.activeSheet, 1, static_cast<int>(book.sheets.size()));
    m_book = std::move(book);
    m_book.activeSheet = active;
    m_maxRows = std::move(maxRows);
    m_sheet = active;
    m_row = 1;
    m_col = 1;
    notify(SheetChange::Workbook);
}

void SpreadsheetCore::WriteWorkbook(const std::string& path, int16_t fileType) const {
    writeAnyWorkbookFile(m_book, path, fileType);
}

std::string SpreadsheetCore::SheetName(int sheet) const {
    checkSheet(sheet);
    return m_book.sheets[static_cast<size_t>(sheet - 1)].name();
}

void SpreadsheetCore::SetSheetName(int sheet, const std::string& name) {
    changed();
    checkSheet(sheet);
    if (excelSheetNameProblem(name)) {
        throw KestrelError(
            "\"" + name +
            "\" is not a valid sheet name: use 1 to 31 characters, none of : \\ / ? * [ ]");
    }
    for (int i = 1; i <= NumSheets(); ++i) {
        if (i != sheet && m_book.sheets[static_cast<size_t>(i - 1)].name() == name) {
            throw KestrelError("The workbook already has a sheet named \"" + name + "\"");
        }
    }
    m_book.sheets[static_cast<size_t>(sheet - 1)].setName(name);
    notify(SheetChange::SheetNames);
}

void SpreadsheetCore::ClearBlock(int firstRow, int firstCol, int lastRow, int lastCol, int mode) {
    changed();
    (void)mode;
    if (firstRow < 1 || firstCol < 1 || lastRow > kMaxSheetRows || lastCol > kMaxSheetCols ||
        firstRow > lastRow || firstCol > lastCol) {
        throw KestrelError("Cannot clear the block " + std::to_string(firstRow) + "," +
                           std::to_string(firstCol) + " to " + std::to_string(lastRow) + "," +
                           std::to_string(lastCol) + ": it lies outside the sheet");
    }
    activeSheet().clearBlock(firstRow, firstCol, lastRow, lastCol);
    notify(SheetChange::Cells);
}

void SpreadsheetCore::ShowCurrentCell() {
    notify(SheetChange::ShowCurrentCell);
}

namespace {

std::string charsOf(double value, std::chars_format format, int precision) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string generalNumberText(double value) {
    if (std::isnan(value)) return "#NUM!";
    if (std::isinf(value)) return "#NUM!";
    if (value == 0) return "0";
    // to_chars, unlike printf, writes "." whatever the C library's locale says.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15 || magnitude < 1e-4) {
        std::string s = charsOf(value, std::chars_format::scientific, 14);
        const size_t e = s.find('e');
        std::string mantissa = s.substr(0, e), exponent = s.substr(e + 1);
        if (mantissa.find('.') != std::string::npos) {
            mantissa.erase(mantissa.find_last_not_of('0') + 1);
            if (mantissa.back() == '.') mantissa.pop_back();
        }
        const char sign = exponent[0];
        std::string digits = exponent.substr(1);
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 2));
        return mantissa + "E" + sign + digits;
    }
    // Below 1e15 and from 1e-4 on, 15 significant digits never need an exponent.
    return charsOf(value, std::chars_format::general, 15);
}

}  // namespace kestrel
