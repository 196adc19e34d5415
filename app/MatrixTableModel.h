// The pair matrix as a table: one row and one column per sample, the values of the matrix's map
// measure (D unless another is chosen) in the cells, the measure's p-value (when it has one) in
// each cell's tooltip, each sample's grains beside its name when they are known, the chosen pair
// highlighted.
#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "engine/comparison/ProfileMatrix.h"

class QItemSelectionModel;

namespace kestrel {

class MatrixTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setMatrix(std::shared_ptr<const ProfileMatrix> matrix);
    /// @brief Highlights the two cells of the pair (first, second), both sides of the diagonal
    /// (background and bold); a negative index clears the highlight.
    void setChosenPair(int first, int second);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    bool isChosen(int row, int column) const;
    QString toolTip(int row, int column) const;

    std::shared_ptr<const ProfileMatrix> m_matrix;
    int m_first = -1, m_second = -1;
    int m_decimals = 4;  // of the cells' text
};

/// @brief The values of `matrix`'s map measure (D when it lacks them).
const SquareMatrix& shownValuesOf(const ProfileMatrix& matrix);

/// @brief The p-values of the map measure: D's, Kuiper's, or null for a measure without them.
const SquareMatrix* shownPValuesOf(const ProfileMatrix& matrix);

/// @brief ", p = 0.0123" (`separator` before "p") for the pair (a, b) of the measure shown: its
/// p-value, "—" for a measure that has none (Similarity, Likeness, R², W2), nothing for D or V
/// without grain counts.
QString shownPValueText(const ProfileMatrix& matrix, int a, int b, const QString& separator,
                        int digits);

/// @brief The name of the map measure as headings show it ("D", "W2", "Similarity", ...).
QString shownNameOf(const ProfileMatrix& matrix);

/// @brief The selected cells of a view over the matrix (all of it when none is selected) as
/// tab-separated text: a first row of an empty cell and the column names, then per row its
/// name and the values, full precision with "." as decimal point.
QString matrixSelectionText(const QAbstractItemModel& model, const QItemSelectionModel* selection);

}  // namespace kestrel
