// Numbers rounded to the width of their cell, as a spreadsheet's general format does.
#include "sheet/widgets/CellDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>
#include <cmath>
#include <cstdio>

#include "sheet/core/SpreadsheetCore.h"
#include "sheet/widgets/SheetTableModel.h"

namespace kestrel {

namespace {

QString trimmedFixed(double value, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    QString text = QString::fromLatin1(buffer);
    if (text.contains('.')) {
        while (text.endsWith('0')) text.chop(1);
        if (text.endsWith('.')) text.chop(1);
    }
    return text == "-0" ? QStringLiteral("0") : text;
}

/// Exponent form as the general format writes it: "1.25E+05", "3E-07".
QString exponentForm(double value, int mantissaDecimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", mantissaDecimals, value);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf('E');
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 2);  // digits after the sign
    const QChar sign = text.at(e + 1);
    if (mantissa.contains('.')) {
        while (mantissa.endsWith('0')) mantissa.chop(1);
        if (mantissa.endsWith('.')) mantissa.chop(1);
    }
    while (exponent.size() > 2 && exponent.startsWith('0')) exponent.remove(0, 1);
    return mantissa + 'E' + sign + exponent;
}

}  // namespace

QString fitNumberText(double value, const QFont& font, int width) {
    // Fractional widths, as the text layout that draws the cell measures them.
    const QFontMetricsF metrics(font);
    auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; };
    const QString full = QString::fromStdString(generalNumberText(value));
    if (fits(full) || !std::isfinite(value)) return full;
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        const qsizetype point = full.indexOf('.');
        const int decimals = point < 0 || full.contains('E') ? 0 : int(full.size() - point - 1);
        for (int d = decimals - 1; d >= 0; --d) {
            const QString shorter = trimmedFixed(value, d);
            if (shorter != "0" && fits(shorter)) return shorter;
        }
    }
    for (int d = 5; d >= 0; --d) {
        const QString shorter = exponentForm(value, d);
        if (fits(shorter)) return shorter;
    }
    const double hashWidth = std::max(1.0, metrics.horizontalAdvance('#'));
    return QString(std::max(1, static_cast<int>(width / hashWidth)), '#');
}

void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant number = index.data(kCellNumberRole);
    // Without a cell rectangle (a size hint) the full text is what is wanted.
    if (!number.isValid() || option->rect.width() <= 0) return;
    const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
    // The style draws the text inside its text rectangle less a margin on either side.
    const QRect textRect =
        style->subElementRect(QStyle::SE_ItemViewItemText, option, option->widget);
    const int margin =
        style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option->widget) + 1;
    option->text = fitNumberText(number.toDouble(), option->font, textRect.width() - 2 * margin);
}

}  // namespace kestrel
