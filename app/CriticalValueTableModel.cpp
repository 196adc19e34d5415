// Grid model of the critical value table.
#include "app/CriticalValueTableModel.h"

#include <QLocale>
#include <algorithm>
#include <limits>

namespace kestrel {
namespace {

// Shown numbers take the user's decimal separator.
std::string separator() {
    return QLocale().decimalPoint().toStdString();
}

}  // namespace

CriticalValueTableModel::CriticalValueTableModel(const CriticalValueTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {
    refresh();
}

void CriticalValueTableModel::refresh() {
    beginResetModel();
    // A grid counts its rows in int.
    m_rowCount =
        static_cast<int>(std::min<size_t>(m_table.visibleCount(), std::numeric_limits<int>::max()));
    endResetModel();
}

int CriticalValueTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int CriticalValueTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CriticalValueTableModel::data(const QModelIndex& index, int role) const {
    // Rows are read from the table as the grid asks for them; one that has gone since the
    // last refresh shows empty.
    const auto at = static_cast<size_t>(index.row());
    if (!index.isValid() || index.row() >= rowCount() || at >= m_table.visibleCount()) return {};
    const CriticalValueRow& row = m_table.visibleRow(at);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case 0:
            return QString::fromStdString(CriticalValueTable::formatAlpha(row.Alpha, separator()));
        case 1:
            return QString::number(row.n);
        case 2:
            return QString::fromStdString(
                CriticalValueTable::formatCritValue(row.CritValue, separator()));
        default:
            return {};
    }
}

QVariant CriticalValueTableModel::headerData(int section, Qt::Orientation orientation,
                                             int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* const names[] = {"Alpha", "n", "CritValue"};
    return section >= 0 && section < 3 ? QVariant(names[section]) : QVariant();
}

}  // namespace kestrel
