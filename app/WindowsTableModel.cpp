// The windows table model: texts for display, values for sorting, full precision for copying.
#include "app/WindowsTableModel.h"

#include <QLocale>

#include "sheet/core/CsvWriter.h"

namespace kestrel {
namespace {

enum Column { kFirst, kFirstAge, kLast, kLastAge, kRows, kN1, kN2, kD, kCritical, kP, kBeyond };

double valueOf(const WindowsTableRow& row, int column) {
    switch (column) {
        case kFirst: return row.first;
        case kFirstAge: return row.firstAge;
        case kLast: return row.last;
        case kLastAge: return row.lastAge;
        case kRows: return row.rows;
        case kN1: return static_cast<double>(row.n1);
        case kN2: return static_cast<double>(row.n2);
        case kD: return row.d;
        case kCritical: return row.criticalValue;
        default: return row.p;
    }
}

QString textOf(const WindowsTableRow& row, int column) {
    if (column == kBeyond) return beyondText(row.beyond);
    return ksMethodName(row.method);
}

QString shownNumber(double value, int column) {
    // Positions and ages without digit grouping, as in the window log.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (column) {
        case kFirstAge:
        case kLastAge:
            return locale.toString(value, 'f', 3);
        case kD:
        case kCritical:
            return locale.toString(value, 'f', 4);
        case kP:
            // Small p-values keep their digits: 3.2e-12, not 0.0000.
            return value != 0 && value < 1e-3 ? locale.toString(value, 'e', 2)
                                              : locale.toString(value, 'f', 4);
        default:
            return locale.toString(static_cast<qlonglong>(value));
    }
}

}  // namespace

void WindowsTableModel::setRows(std::vector<WindowsTableRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int WindowsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int WindowsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(windowsTableHeaders().size());
}

QVariant WindowsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const WindowsTableRow& row = m_rows[static_cast<size_t>(index.row())];
    const int column = index.column();
    const bool isText = column >= kBeyond;
    switch (role) {
        case Qt::DisplayRole:
            return isText ? textOf(row, column) : shownNumber(valueOf(row, column), column);
        case Qt::UserRole:
            return isText ? QVariant(textOf(row, column)) : QVariant(valueOf(row, column));
        case Qt::EditRole:
            return isText ? textOf(row, column)
                          : QString::fromStdString(shortestNumberText(valueOf(row, column)));
        case Qt::TextAlignmentRole:
            return isText ? int(Qt::AlignLeft | Qt::AlignVCenter)
                          : int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant WindowsTableModel::headerData(int section, Qt::Orientation orientation,
                                       int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    const auto& headers = windowsTableHeaders();
    if (section < 0 || section >= static_cast<int>(headers.size())) return {};
    return QString::fromStdString(headers[static_cast<size_t>(section)]);
}

}  // namespace kestrel
