// Paints grid cells the way a spreadsheet does: numbers rounded to fit their column.
#pragma once

#include <QFont>
#include <QStyledItemDelegate>

namespace kestrel {

/// @brief A number as the general format shows it in `width` pixels: in full when it fits,
/// else with fewer decimals, else in exponent form with fewer digits ("1.2E+05"), else as "#"
/// signs filling the width.
QString fitNumberText(double value, const QFont& font, int width);

/// @brief Item delegate of the grid: number cells show as many digits as their column holds
/// instead of an elided text.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace kestrel
