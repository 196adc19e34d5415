// The table of depositional ages and copying its selection.
#include "app/DepositionalTableModel.h"

#include <QColor>
#include <QItemSelectionModel>
#include <QLocale>
#include <cmath>

#include "app/TableSelection.h"
#include "output/YoungestGrainsGraph.h"
#include "sheet/core/CsvWriter.h"

namespace kestrel {
namespace {

const char* const kHeadings[] = {"Sample", "Grains", "Method", "Age", "\u2212",
                                 "+",      "MSWD",   "Used",   "Note"};

// About four significant digits: 95.21, 1523, 12.35; the interval as many decimals as its age.
int decimalsFor(double age) {
    if (!(std::abs(age) > 0)) return 2;
    return std::clamp(3 - static_cast<int>(std::floor(std::log10(std::abs(age)))), 0, 3);
}

}  // namespace

QString depositionalNote(const DepositionalEstimate& estimate) {
    const QString reason = QString::fromStdString(estimate.reason);
    if (!estimate.age) return reason;
    if (estimate.degenerate) {
        return QString(
                   "A degenerate fit (%1): it lies on a bound of its parameters, and the model "
                   "then says nothing sound about a minimum")
            .arg(reason);
    }
    return {};
}

void DepositionalTableModel::setEstimates(
    std::vector<GrainSample> samples, std::vector<std::vector<DepositionalEstimate>> estimates) {
    beginResetModel();
    m_samples = std::move(samples);
    m_estimates = std::move(estimates);
    m_rows.clear();
    for (size_t s = 0; s < m_samples.size() && s < m_estimates.size(); ++s) {
        for (size_t e = 0; e < m_estimates[s].size(); ++e) m_rows.push_back({s, e});
    }
    endResetModel();
}

int DepositionalTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DepositionalTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant DepositionalTableModel::value(const Row& row, int column) const {
    const GrainSample& sample = m_samples[row.sample];
    const DepositionalEstimate& e = m_estimates[row.sample][row.estimate];
    const auto number = [](const std::optional<double>& v) {
        return v ? QVariant(*v) : QVariant();
    };
    switch (column) {
        case Sample:
            return QString::fromStdString(sample.name);
        case Grains:
            return static_cast<qulonglong>(sample.ages.size());
        case Method:
            return QString::fromUtf8(depositionalMethod(e.method).name);
        case Age:
            return number(e.age);
        case Minus:
            return e.age ? number(e.minus) : QVariant();
        case Plus:
            return e.age ? number(e.plus) : QVariant();
        case Mswd:
            return number(e.mswd);
        case Used:
            return static_cast<qulonglong>(e.used);
        case Note:
            return depositionalNote(e);
        default:
            return {};
    }
}

QVariant DepositionalTableModel::display(const Row& row, int column) const {
    const DepositionalEstimate& e = m_estimates[row.sample][row.estimate];
    const QVariant v = value(row, column);
    switch (column) {
        case Age:
            return e.age ? QLocale().toString(*e.age, 'f', decimalsFor(*e.age)) : QString("none");
        case Minus:
        case Plus:
            return v.isValid() ? QLocale().toString(v.toDouble(), 'f', decimalsFor(*e.age)) : v;
        case Mswd:
            return v.isValid() ? QLocale().toString(v.toDouble(), 'f', 2) : v;
        case Grains:
        case Used:
            return QLocale().toString(v.toULongLong());
        default:
            return v;
    }
}

QString DepositionalTableModel::toolTip(const Row& row, int column) const {
    const DepositionalEstimate& e = m_estimates[row.sample][row.estimate];
    if (column == Method) return QString::fromUtf8(depositionalMethod(e.method).description);
    const QString note = depositionalNote(e);
    if (!note.isEmpty()) return note;
    return {};
}

QVariant DepositionalTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= m_rows.size()) return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const DepositionalEstimate& e = m_estimates[row.sample][row.estimate];
    switch (role) {
        case Qt::DisplayRole:
            return display(row, index.column());
        case Qt::EditRole:  // the number itself: what sorting and copying use
            return value(row, index.column());
        case Qt::ToolTipRole:
            return toolTip(row, index.column());
        case Qt::ForegroundRole:
            if (index.column() == Method) return depositionalMethodColour(e.method);
            if (!e.age || e.degenerate) return QColor(150, 60, 0);
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == Sample || index.column() == Method || index.column() == Note
                       ? int(Qt::AlignLeft | Qt::AlignVCenter)
                       : int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant DepositionalTableModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (section < 0 || section >= Columns) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::fromUtf8(kHeadings[section]);
    if (role == Qt::ToolTipRole && (section == Minus || section == Plus))
        return QString("The 95% interval %1 the age").arg(section == Minus ? "below" : "above");
    return {};
}

QString depositionalSelectionText(const QAbstractItemModel& model,
                                  const QItemSelectionModel* selection) {
    const auto [rows, columns] = selectedRowsAndColumns(model, selection);
    QStringList headings;
    for (const int c : columns)
        headings << model.headerData(c, Qt::Horizontal, Qt::EditRole).toString();
    QString text = headings.join('\t') + "\n";
    for (const int r : rows) {
        QStringList cells;
        for (const int c : columns) {
            const QModelIndex index = model.index(r, c);
            const QVariant v = model.data(index, Qt::EditRole);
            if (v.typeId() == QMetaType::Double) {
                cells << QString::fromStdString(shortestNumberText(v.toDouble()));
            } else if (!v.isValid() || v.toString().isEmpty()) {
                // An estimate that found nothing says so where its age would be.
                cells << (model.data(index, Qt::DisplayRole).toString() == "none" ? "none" : "");
            } else {
                cells << v.toString();
            }
        }
        text += cells.join('\t') + "\n";
    }
    return text;
}

}  // namespace kestrel
