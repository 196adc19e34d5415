// The cells of the pages' read-only tables: text, and numbers shown to a number of decimals in
// the user's locale while the cell keeps the full value for sorting and copying.
#pragma once

#include <QString>

class QStandardItem;

namespace kestrel {

/// @brief A read-only cell of text.
QStandardItem* textCell(const QString& text);

/// @brief A read-only number, right-aligned, shown to `decimals` places without grouping; the
/// value itself under Qt::UserRole.
QStandardItem* numberCell(double value, int decimals);

}  // namespace kestrel
