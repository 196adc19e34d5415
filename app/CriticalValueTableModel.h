// A grid model over the critical value table: the rows its filter lets through, formatted for
// display.
#pragma once

#include <QAbstractTableModel>

#include "engine/CriticalValueTable.h"

namespace kestrel {

/// @brief Columns "Alpha" ("0.00#"), "n" and "CritValue" ("0.0000"). Call refresh() after the
/// table's content, open state or filter has changed.
class CriticalValueTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CriticalValueTableModel(const CriticalValueTable& table, QObject* parent = nullptr);

    /// @brief Takes the number of the table's visible rows anew; the rows themselves are read
    /// from the table as they are shown.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    const CriticalValueTable& m_table;
    int m_rowCount = 0;
};

}  // namespace kestrel
