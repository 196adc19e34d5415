// Sparse sheet storage: rows sorted by number, each row's cells sorted by column.
#include "sheet/core/Workbook.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace kestrel {

Worksheet::Row* Worksheet::findRow(int row) {
    // Most sheets hold every row from their first on: the row's place is then its distance
    // from the first.
    if (!m_rows.empty() && row >= m_rows.front().row) {
        const auto guess = static_cast<size_t>(row - m_rows.front().row);
        if (guess < m_rows.size() && m_rows[guess].row == row) return &m_rows[guess];
    }
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                               [](const Row& r, int n) { return r.row < n; });
    return it != m_rows.end() && it->row == row ? &*it : nullptr;
}

const Worksheet::Row* Worksheet::findRow(int row) const {
    return const_cast<Worksheet*>(this)->findRow(row);
}

const Cell* Worksheet::cell(int row, int col) const {
    const Row* r = findRow(row);
    if (!r) return nullptr;
    auto it = std::lower_bound(r->cells.begin(), r->cells.end(), col,
                               [](const auto& p, int n) { return p.first < n; });
    return it != r->cells.end() && it->first == col ? &it->second : nullptr;
}

void Worksheet::setCell(int row, int col, Cell cell) {
    // Files and the calculation write rows and columns in ascending order: appending at the end
    // is the common case and stays O(1).
    auto rowIt = (!m_rows.empty() && m_rows.back().row < row)
                     ? m_rows.end()
                     : std::lower_bound(m_rows.begin(), m_rows.end(), row,
                                        [](const Row& r, int n) { return r.row < n; });
    if (rowIt == m_rows.end() || rowIt->row != row) {
        if (cell.kind == CellKind::Empty) return;
        rowIt = m_rows.insert(rowIt, Row{row, {}});
    }
    auto& cells = rowIt->cells;
    auto colIt = (!cells.empty() && cells.back().first < col)
                     ? cells.end()
                     : std::lower_bound(cells.begin(), cells.end(), col,
                                        [](const auto& p, int n) { return p.first < n; });
    const bool present = colIt != cells.end() && colIt->first == col;
    if (cell.kind == CellKind::Empty) {
        if (present) {
            cells.erase(colIt);
            m_lastCol = -1;
        }
        if (cells.empty()) m_rows.erase(rowIt);
    } else if (present) {
        colIt->second = std::move(cell);
    } else {
        cells.insert(colIt, {col, std::move(cell)});
        if (m_lastCol >= 0) m_lastCol = std::max(m_lastCol, col);
    }
}

void Worksheet::appendRow(int row, std::vector<std::pair<int, Cell>>& cells) {
    if (cells.empty()) return;
    if (!m_rows.empty() && m_rows.back().row >= row) {
        throw std::invalid_argument("Worksheet::appendRow: rows must be appended in order");
    }
    // A vector built by push_back keeps up to twice the room it needs; a row copied out at its
    // exact size does not, and the caller's buffer is reused for the next row.
    if (m_lastCol >= 0) m_lastCol = std::max(m_lastCol, cells.back().first);
    Row stored{row, {}};
    stored.cells.reserve(cells.size());
    std::move(cells.begin(), cells.end(), std::back_inserter(stored.cells));
    cells.clear();
    m_rows.push_back(std::move(stored));
}

void Worksheet::setRowCells(int row, std::vector<std::pair<int, Cell>>& cells) {
    if (m_rows.empty() || m_rows.back().row < row) {
        appendRow(row, cells);
        return;
    }
    for (auto& [col, cell] : cells) setCell(row, col, std::move(cell));
    cells.clear();
}

void Worksheet::clearBlock(int firstRow, int firstCol, int lastRow, int lastCol) {
    for (auto& r : m_rows) {
        if (r.row < firstRow || r.row > lastRow) continue;
        std::erase_if(r.cells,
                      [&](const auto& p) { return p.first >= firstCol && p.first <= lastCol; });
    }
    std::erase_if(m_rows, [](const Row& r) { return r.cells.empty(); });
    m_lastCol = -1;
}

int Worksheet::lastRow() const {
    return m_rows.empty() ? 0 : m_rows.back().row;
}

int Worksheet::lastCol() const {
    if (m_lastCol >= 0) return m_lastCol;
    int last = 0;
    for (const auto& r : m_rows) last = std::max(last, r.cells.back().first);
    m_lastCol = last;
    return last;
}

size_t Worksheet::cellCount() const {
    size_t n = 0;
    for (const auto& r : m_rows) n += r.cells.size();
    return n;
}

std::string columnLetters(int col) {
    std::string letters;
    while (col > 0) {
        int rem = (col - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + rem));
        col = (col - 1) / 26;
    }
    return letters;
}

std::string cellAddress(int row, int col) {
    return columnLetters(col) + std::to_string(row);
}

}  // namespace kestrel
