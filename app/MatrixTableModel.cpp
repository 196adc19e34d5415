// The matrix model and copying its selection.
#include "app/MatrixTableModel.h"

#include <QColor>
#include <QFont>
#include <QItemSelectionModel>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "app/TableSelection.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/Measures.h"
#include "sheet/core/CsvWriter.h"

namespace kestrel {
namespace {

// Four decimals for values below 1 (D, p, a likeness); a measure in age units such as W2 keeps
// about five significant digits, so that its cells fit the columns as D's do.
int decimalsFor(const SquareMatrix& values) {
    double largest = 0;
    for (const double v : values.values) {
        if (std::isfinite(v)) largest = std::max(largest, std::abs(v));
    }
    if (largest < 1) return 4;
    return std::max(0, 4 - static_cast<int>(std::floor(std::log10(largest))));
}

}  // namespace

void MatrixTableModel::setMatrix(std::shared_ptr<const ProfileMatrix> matrix) {
    beginResetModel();
    m_matrix = std::move(matrix);
    m_decimals = m_matrix ? decimalsFor(shownValuesOf(*m_matrix)) : 4;
    m_first = m_second = -1;
    endResetModel();
}

void MatrixTableModel::setChosenPair(int first, int second) {
    const int size = rowCount();
    const auto changed = [this](int row, int column) {
        if (row >= 0 && column >= 0) emit dataChanged(index(row, column), index(row, column));
    };
    const int oldFirst = m_first, oldSecond = m_second;
    const bool valid = first >= 0 && second >= 0 && first < size && second < size;
    m_first = valid ? first : -1;
    m_second = valid ? second : -1;
    for (const auto& [a, b] : {std::pair(oldFirst, oldSecond), std::pair(m_first, m_second)}) {
        changed(a, b);
        changed(b, a);
    }
}

bool MatrixTableModel::isChosen(int row, int column) const {
    return m_first >= 0 &&
           ((row == m_first && column == m_second) || (row == m_second && column == m_first));
}

namespace {

// The matrix of the map's measure, or D's when the matrix lacks it.
const MeasureMatrix& shownMatrixOf(const ProfileMatrix& matrix) {
    const MeasureMatrix* shown = matrix.find(matrix.mapMeasure);
    return shown ? *shown : matrix.measures.front();
}

}  // namespace

const SquareMatrix& shownValuesOf(const ProfileMatrix& matrix) {
    return shownMatrixOf(matrix).values;
}

const SquareMatrix* shownPValuesOf(const ProfileMatrix& matrix) {
    const MeasureMatrix& shown = shownMatrixOf(matrix);
    return shown.p ? &*shown.p : nullptr;
}

QString shownNameOf(const ProfileMatrix& matrix) {
    return QString::fromUtf8(measureInfo(shownMatrixOf(matrix).measure).name);
}

QString shownPValueText(const ProfileMatrix& matrix, int a, int b, const QString& separator,
                        int digits) {
    if (const SquareMatrix* p = shownPValuesOf(matrix)) {
        return separator + "p = " + QLocale().toString(p->at(a, b), 'g', digits);
    }
    // A measure with p-values lacks them only for want of grain counts, which the page says
    // once; a measure without any says so at each pair.
    return measureInfo(shownMatrixOf(matrix).measure).pLabel ? QString() : separator + "p = —";
}

namespace {

// A sample's name, and with its grains known "N4 (99)" or "N4 (99 grains)".
QString sampleText(const ProfileMatrix& matrix, int sample, bool withGrains) {
    QString text = QString::fromStdString(matrix.names[static_cast<size_t>(sample)]);
    if (!matrix.grains) return text;
    const int32_t grains = (*matrix.grains)[static_cast<size_t>(sample)];
    return withGrains ? QString("%1 (%2 grains)").arg(text).arg(grains)
                      : QString("%1 (%2)").arg(text).arg(grains);
}

}  // namespace

QString MatrixTableModel::toolTip(int row, int column) const {
    QString tip = QString("%1 and %2\n%3 = %4")
                      .arg(sampleText(*m_matrix, row, true), sampleText(*m_matrix, column, true),
                           shownNameOf(*m_matrix),
                           QLocale().toString(shownValuesOf(*m_matrix).at(row, column), 'g', 10));
    return tip + shownPValueText(*m_matrix, row, column, "\n", 6);
}

int MatrixTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_matrix ? 0 : m_matrix->D().size;
}

int MatrixTableModel::columnCount(const QModelIndex& parent) const {
    return rowCount(parent);
}

QVariant MatrixTableModel::data(const QModelIndex& index, int role) const {
    if (!m_matrix || !index.isValid()) return {};
    const double d = shownValuesOf(*m_matrix).at(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
            return QLocale().toString(d, 'f', m_decimals);
        case Qt::EditRole:  // the number itself: what sorting and copying use
            return d;
        case Qt::ToolTipRole:
            return toolTip(index.row(), index.column());
        case Qt::BackgroundRole:
            return isChosen(index.row(), index.column()) ? QVariant(QColor(0, 200, 255))
                                                         : QVariant();
        case Qt::FontRole: {
            if (!isChosen(index.row(), index.column())) return {};
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant MatrixTableModel::headerData(int section, Qt::Orientation, int role) const {
    if (!m_matrix || section < 0 || section >= m_matrix->D().size) return {};
    switch (role) {
        case Qt::DisplayRole:  // "N4 (99)" when the grains are known
            return sampleText(*m_matrix, section, false);
        case Qt::EditRole:  // the name alone, as copies give it
            return QString::fromStdString(m_matrix->names[static_cast<size_t>(section)]);
        case Qt::ToolTipRole:
            return m_matrix->grains ? sampleText(*m_matrix, section, true) : QVariant();
        default:
            return {};
    }
}

QString matrixSelectionText(const QAbstractItemModel& model, const QItemSelectionModel* selection) {
    const auto [rows, columns] = selectedRowsAndColumns(model, selection);
    QString text;
    for (const int c : columns)
        text += "\t" + model.headerData(c, Qt::Horizontal, Qt::EditRole).toString();
    text += "\n";
    for (const int r : rows) {
        text += model.headerData(r, Qt::Vertical, Qt::EditRole).toString();
        for (const int c : columns) {
            const double value = model.data(model.index(r, c), Qt::EditRole).toDouble();
            text += "\t" + QString::fromStdString(shortestNumberText(value));
        }
        text += "\n";
    }
    return text;
}

}  // namespace kestrel
