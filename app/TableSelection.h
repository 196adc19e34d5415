// Which rows and columns of a table a copy takes: those of the selection, or every one.
#pragma once

#include <set>

class QAbstractItemModel;
class QItemSelectionModel;

namespace kestrel {

struct TableSelection {
    std::set<int> rows, columns;
};

/// @brief The rows and columns the selected cells lie in; with none selected (or no selection
/// model), every row and column of `model`.
TableSelection selectedRowsAndColumns(const QAbstractItemModel& model,
                                      const QItemSelectionModel* selection);

}  // namespace kestrel
