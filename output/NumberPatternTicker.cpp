// Pattern formatting of axis labels.
#include "output/NumberPatternTicker.h"

#include <cmath>

namespace kestrel {

QString formatByPattern(double value, NumberPattern pattern, const QLocale& locale) {
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const int decimals = std::max(pattern.maxDecimals, pattern.minDecimals);
    if (std::isfinite(value) && std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    QString text = grouped.toString(value, 'f', decimals);
    if (!std::isfinite(value)) return text;
    const QString zero = grouped.zeroDigit();
    for (int shown = decimals; shown > pattern.minDecimals && text.endsWith(zero); --shown) {
        text.chop(zero.size());
    }
    if (text.endsWith(grouped.decimalPoint())) text.chop(grouped.decimalPoint().size());
    return text;
}

PatternFixedTicker::PatternFixedTicker(double step, NumberPattern pattern) : m_pattern(pattern) {
    setTickStep(step);
    setScaleStrategy(ssMultiples);
}

}  // namespace kestrel
