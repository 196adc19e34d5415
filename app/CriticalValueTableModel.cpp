// Grid model of the critical value table.
#include "app/CriticalValueTableModel.h"

#include <QLocale>

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
    m_rows = m_table.visibleRows();
    endResetModel();
}

int CriticalValueTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CriticalValueTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CriticalValueTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const CriticalValueRow& row = m_rows[static_cast<size_t>(index.row())];
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
