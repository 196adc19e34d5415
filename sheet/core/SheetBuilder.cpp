// Row-by-row filling of a worksheet, with the extent checks every file reader shares.
#include "sheet/core/SheetBuilder.h"

#include <algorithm>

#include "sheet/core/ReadError.h"

namespace kestrel {

void SheetBuilder::checkInside(int row, int col) const {
    if (row < 1 || row > kMaxSheetRows) {
        throw readError(m_fileName, "sheet \"" + m_sheet.name() + "\" has a cell in row " +
                                        std::to_string(row) + ", outside the rows 1 to " +
                                        std::to_string(kMaxSheetRows) + " a sheet holds");
    }
    if (col < 1 || col > kMaxSheetCols) {
        throw readError(m_fileName, "sheet \"" + m_sheet.name() + "\" has a cell in column " +
                                        std::to_string(col) + ", outside the columns 1 (A) to " +
                                        std::to_string(kMaxSheetCols) + " (" +
                                        columnLetters(kMaxSheetCols) + ") a sheet holds");
    }
}

void SheetBuilder::add(int row, int col, Cell cell) {
    checkInside(row, col);
    if (cell.kind == CellKind::Empty) return;
    ++m_cells;
    if (row > m_row) {
        flushRow();
        m_row = row;
    }
    if (row == m_row) {
        if (m_pending.empty() || m_pending.back().first < col) {
            m_pending.emplace_back(col, std::move(cell));
            return;
        }
        // A column written twice or out of order within the row: the last one written holds.
        auto it = std::lower_bound(m_pending.begin(), m_pending.end(), col,
                                   [](const auto& p, int c) { return p.first < c; });
        if (it != m_pending.end() && it->first == col) {
            it->second = std::move(cell);
            --m_cells;
        } else {
            m_pending.insert(it, {col, std::move(cell)});
        }
        return;
    }
    // A row above the one being collected: rare, so the general (slower) path will do.
    if (m_sheet.cell(row, col)) --m_cells;
    m_sheet.setCell(row, col, std::move(cell));
}

void SheetBuilder::flushRow() {
    if (!m_pending.empty()) m_sheet.appendRow(m_row, m_pending);
}

void SheetBuilder::finish() {
    flushRow();
    m_pending.shrink_to_fit();
}

}  // namespace kestrel
