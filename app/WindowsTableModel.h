// The windows table as a Qt table model: one row per evaluated window, twelve columns and, for
// profiles built from grain ages, the six grain columns; numbers shown in the user's locale and
// sorted by value.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "engine/comparison/WindowsTable.h"

namespace kestrel {

class WindowsTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<WindowsTableRow> rows);
    const std::vector<WindowsTableRow>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    /// @brief DisplayRole: the shown text; Qt::UserRole: the value to sort by (a double, or the
    /// text of Beyond and Method); Qt::EditRole: the full-precision text that Copy puts on the
    /// clipboard ("." as decimal point).
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    static QVariant grainData(const WindowsTableRow& row, int grainColumn, int role);
    static QVariant measureData(const WindowsTableRow& row, int measure, int role);
    int measuresColumn() const;  // the first column of the other measures
    /// What the heading's column tests and on what: the profiles' curves or the grains.
    QVariant headerToolTip(int section) const;

    std::vector<WindowsTableRow> m_rows;
    bool m_grainColumns = false;  // some row has its grains tested
    int m_measureColumns = 0;     // other measures of every window
};

}  // namespace kestrel
