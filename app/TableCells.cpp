// Read-only table cells of text and of numbers.
#include "app/TableCells.h"

#include <QLocale>
#include <QStandardItem>

namespace kestrel {

QStandardItem* textCell(const QString& text) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

QStandardItem* numberCell(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    auto* item = textCell(locale.toString(value, 'f', decimals));
    item->setData(value, Qt::UserRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace kestrel
