// Table model over a band of rows of the spreadsheet component's active sheet.
#pragma once

#include <QAbstractTableModel>

#include "sheet/core/SpreadsheetCore.h"

namespace kestrel {

/// @brief The model role that holds a number cell's value (double); absent for other cells.
inline constexpr int kCellNumberRole = Qt::UserRole + 1;

/// @brief Shows rows `firstRow` .. `firstRow + rows - 1` (sheet rows, 1-based) and columns 1 ..
/// `cols` of the active sheet of a SpreadsheetCore, read-only. Column headers are the column
/// letters, row headers the sheet row numbers. Cells are read from the core on demand, so the
/// model holds nothing but its shape.
class SheetTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit SheetTableModel(const SpreadsheetCore& core, QObject* parent = nullptr);

    /// @brief Sets the band shown. A changed shape resets the model; an unchanged one only
    /// reports every shown cell as changed, which costs the views a repaint and nothing more.
    void setShape(int firstRow, int rows, int cols);

    int firstRow() const { return m_firstRow; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const Cell* cellAt(const QModelIndex& index) const;

    const SpreadsheetCore& m_core;
    int m_firstRow = 1;
    int m_rows = 0;
    int m_cols = 0;
};

}  // namespace kestrel
