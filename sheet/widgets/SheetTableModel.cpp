// Cells of the active sheet as a read-only Qt table model.
#include "sheet/widgets/SheetTableModel.h"

namespace kestrel {

SheetTableModel::SheetTableModel(const SpreadsheetCore& core, QObject* parent)
    : QAbstractTableModel(parent), m_core(core) {}

void SheetTableModel::setShape(int firstRow, int rows, int cols) {
    if (firstRow != m_firstRow || rows != m_rows || cols != m_cols) {
        beginResetModel();
        m_firstRow = firstRow;
        m_rows = rows;
        m_cols = cols;
        endResetModel();
        return;
    }
    if (m_rows > 0 && m_cols > 0) {
        emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1), {Qt::DisplayRole});
    }
}

int SheetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int SheetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

const Cell* SheetTableModel::cellAt(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_cols) return nullptr;
    const auto& sheets = m_core.workbook().sheets;
    const int sheet = m_core.Sheet();
    if (sheet < 1 || sheet > static_cast<int>(sheets.size())) return nullptr;
    return sheets[static_cast<size_t>(sheet - 1)].cell(m_firstRow + index.row(),
                                                       index.column() + 1);
}

QVariant SheetTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != kCellNumberRole) {
        return {};
    }
    const Cell* cell = cellAt(index);
    if (!cell) return {};
    if (role == kCellNumberRole) {
        return cell->kind == CellKind::Number ? QVariant(cell->number) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        // Numbers to the right, text to the left, truth values and errors centred, as a
        // spreadsheet aligns them by default.
        switch (cell->kind) {
            case CellKind::Number:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            case CellKind::Boolean:
            case CellKind::Error:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignHCenter | Qt::AlignVCenter));
            default:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        }
    }
    if (cell->kind == CellKind::Number)
        return QString::fromStdString(generalNumberText(cell->number));
    return QString::fromStdString(cell->text);
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Horizontal) return QString::fromStdString(columnLetters(section + 1));
    return QString::number(m_firstRow + section);
}

Qt::ItemFlags SheetTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace kestrel
