// The windows table model: texts for display, values for sorting, full precision for copying.
#include "app/WindowsTableModel.h"

#include <QLocale>
#include <algorithm>
#include <optional>

#include "engine/comparison/GrainWindows.h"
#include "engine/measures/Measures.h"
#include "sheet/core/CsvWriter.h"

namespace kestrel {
namespace {

enum Column { kFirst, kFirstAge, kLast, kLastAge, kRows, kN1, kN2, kD, kCritical, kP, kBeyond };

// The grain columns, after the twelve of every table.
enum GrainColumn { kGrains1, kGrains2, kGrainD, kGrainP, kKuiperV, kKuiperP };
constexpr int kTableColumns = 12;

// A grain column's value; none where the window holds no grains of one of the samples.
std::optional<double> grainValue(const WindowsTableRow& row, int grainColumn) {
    if (!row.grains) return std::nullopt;
    const GrainWindowTest& test = *row.grains;
    switch (grainColumn) {
        case kGrains1:
            return static_cast<double>(test.grains1);
        case kGrains2:
            return static_cast<double>(test.grains2);
        default:
            break;
    }
    if (!test.ks || !test.kuiper) return std::nullopt;
    switch (grainColumn) {
        case kGrainD:
            return test.ks->d;
        case kGrainP:
            return test.ks->p;
        case kKuiperV:
            return test.kuiper->v;
        default:
            return test.kuiper->p;
    }
}

// Shown as the table's own columns of the same kind: counts, statistics, p-values.
Column grainColumnLooksLike(int grainColumn) {
    if (grainColumn <= kGrains2) return kN1;
    return grainColumn == kGrainP || grainColumn == kKuiperP ? kP : kD;
}

double valueOf(const WindowsTableRow& row, int column) {
    switch (column) {
        case kFirst:
            return row.first;
        case kFirstAge:
            return row.firstAge;
        case kLast:
            return row.last;
        case kLastAge:
            return row.lastAge;
        case kRows:
            return row.rows;
        case kN1:
            return static_cast<double>(row.n1);
        case kN2:
            return static_cast<double>(row.n2);
        case kD:
            return row.d;
        case kCritical:
            return row.criticalValue;
        default:
            return row.p;
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

// What each heading's column tests, and on what: the profile test (D and its p) compares the
// profiles' curves row by row, its n from the rows or the set sample sizes; the grain test
// compares the grains themselves, its n their counts in the window.
const char* const kProfileN =
    "the number of rows in the window, or with sample sizes set (Options > Sample sizes, or the "
    "grain counts of samples built from grain ages) the grains of the profile shared out by the "
    "window's part of it (the first row: the grain counts themselves)";

QString tableToolTip(int column) {
    switch (column) {
        case kFirst:
            return "The row of the profiles where the window starts (the first row of the table: "
                   "the whole range)";
        case kFirstAge:
            return "The age at the window's first row of the profiles";
        case kLast:
            return "The row of the profiles where the window ends";
        case kLastAge:
            return "The age at the window's last row of the profiles";
        case kRows:
            return "The number of rows of the profiles inside the window";
        case kN1:
        case kN2:
            return QString("Profile test: the sample size of profile %1, %2")
                .arg(column == kN1 ? 1 : 2)
                .arg(kProfileN);
        case kD:
            return "Profile test: the largest difference between the two profiles' cumulative "
                   "curves inside the window (Kolmogorov-Smirnov D), taken row by row";
        case kCritical:
            return "Profile test: the critical value of D at alpha 0.05 for n1 and n2 (0 when the "
                   "critical value table lacks it)";
        case kP:
            return "Profile test: the probability of a D at least this large for two samples of "
                   "n1 and n2, on the profiles' curves";
        case kBeyond:
            return "Profile test: \"yes\" when D exceeds the critical value, as the graphs' marks";
        default:
            return "How the profile test's p was found: exact (the lattice-path count) or "
                   "asymptotic (the Kolmogorov limit), from n1 and n2";
    }
}

QString grainToolTip(int grainColumn) {
    switch (grainColumn) {
        case kGrains1:
        case kGrains2:
            return QString(
                       "Grain test: the grains of sample %1 whose ages lie in the window, the "
                       "test's n%1")
                .arg(grainColumn == kGrains1 ? 1 : 2);
        case kGrainD:
            return "Grain test: the Kolmogorov-Smirnov D of the grains themselves in the window "
                   "(their own age distributions, not the profiles' curves)";
        case kGrainP:
            return "Grain test: the p of Grain D for the grains in the window, with n = Grains 1 "
                   "and Grains 2";
        case kKuiperV:
            return "Grain test: Kuiper's V of the grains themselves in the window (their own age "
                   "distributions, not the profiles' curves)";
        default:
            return "Grain test: the p of Kuiper V for the grains in the window, with n = Grains 1 "
                   "and Grains 2";
    }
}

}  // namespace

void WindowsTableModel::setRows(std::vector<WindowsTableRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_grainColumns = std::any_of(m_rows.begin(), m_rows.end(),
                                 [](const WindowsTableRow& row) { return row.grains.has_value(); });
    m_measureColumns = m_rows.empty() ? 0 : static_cast<int>(m_rows.front().measures.size());
    endResetModel();
}

int WindowsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int WindowsTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return measuresColumn() + m_measureColumns;
}

int WindowsTableModel::measuresColumn() const {
    return kTableColumns + (m_grainColumns ? static_cast<int>(grainWindowHeaders().size()) : 0);
}

QVariant WindowsTableModel::measureData(const WindowsTableRow& row, int measure, int role) {
    if (measure >= static_cast<int>(row.measures.size())) return {};
    const double value = row.measures[static_cast<size_t>(measure)].second;
    const bool shown = value == value;  // W2 has none for a window without mass
    switch (role) {
        case Qt::DisplayRole:
            return shown ? shownNumber(value, kD) : QString();
        case Qt::UserRole:
            return shown ? value : -1.0;
        case Qt::EditRole:
            return shown ? QString::fromStdString(shortestNumberText(value)) : QString();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant WindowsTableModel::grainData(const WindowsTableRow& row, int grainColumn, int role) {
    const std::optional<double> value = grainValue(row, grainColumn);
    switch (role) {
        case Qt::DisplayRole:
            return value ? shownNumber(*value, grainColumnLooksLike(grainColumn)) : QString();
        case Qt::UserRole:
            return value ? *value : -1.0;  // empty cells sort first
        case Qt::EditRole:
            return value ? QString::fromStdString(shortestNumberText(*value)) : QString();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant WindowsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const WindowsTableRow& row = m_rows[static_cast<size_t>(index.row())];
    const int column = index.column();
    if (column >= measuresColumn()) return measureData(row, column - measuresColumn(), role);
    if (column >= kTableColumns) return grainData(row, column - kTableColumns, role);
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

QVariant WindowsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal) return headerToolTip(section);
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    const auto& headers = windowsTableHeaders();
    if (section >= measuresColumn() && section < columnCount() && !m_rows.empty()) {
        const auto& measures = m_rows.front().measures;
        return QString::fromUtf8(
            measureInfo(measures[static_cast<size_t>(section - measuresColumn())].first).name);
    }
    if (section >= static_cast<int>(headers.size()) && section < columnCount()) {
        return QString::fromStdString(grainWindowHeaders()[section - headers.size()]);
    }
    if (section < 0 || section >= static_cast<int>(headers.size())) return {};
    return QString::fromStdString(headers[static_cast<size_t>(section)]);
}

QVariant WindowsTableModel::headerToolTip(int section) const {
    if (section < 0 || section >= columnCount()) return {};
    if (section >= measuresColumn()) {
        const auto& measures = m_rows.front().measures;
        return QString("%1 of the two profiles' curves over the window's rows")
            .arg(QString::fromUtf8(
                measureInfo(measures[static_cast<size_t>(section - measuresColumn())].first).name));
    }
    if (section >= kTableColumns) return grainToolTip(section - kTableColumns);
    return tableToolTip(section);
}

}  // namespace kestrel
