// The rows and columns a copy of a table takes.
#include "app/TableSelection.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

namespace kestrel {

TableSelection selectedRowsAndColumns(const QAbstractItemModel& model,
                                      const QItemSelectionModel* selection) {
    TableSelection chosen;
    const QModelIndexList cells = selection ? selection->selectedIndexes() : QModelIndexList{};
    for (const QModelIndex& index : cells) {
        chosen.rows.insert(index.row());
        chosen.columns.insert(index.column());
    }
    if (cells.isEmpty()) {
        for (int r = 0; r < model.rowCount(); ++r) chosen.rows.insert(r);
        for (int c = 0; c < model.columnCount(); ++c) chosen.columns.insert(c);
    }
    return chosen;
}

}  // namespace kestrel
