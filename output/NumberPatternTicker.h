// Axis tickers whose labels follow a number pattern ("#,##0.00" and kin) in the user's locale.
#pragma once

#include <qcustomplot.h>

#include <QLocale>
#include <QString>

namespace kestrel {

/// @brief A "#,##0.0#"-style pattern: thousands grouped, between minDecimals and maxDecimals
/// fraction digits.
struct NumberPattern {
    int minDecimals = 0;
    int maxDecimals = 0;
};

/// @brief Formats `value` by `pattern` with `locale`'s decimal and group separators (grouping
/// is on even where the locale would omit it, as the C locale does). A value that rounds to
/// zero shows without a minus sign.
QString formatByPattern(double value, NumberPattern pattern, const QLocale& locale);

/// @brief Automatic tick positions, labels by pattern in the user's current locale.
class PatternTicker : public QCPAxisTicker {
  public:
    explicit PatternTicker(NumberPattern pattern) : m_pattern(pattern) {}

  protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return formatByPattern(tick, m_pattern, QLocale());
    }

  private:
    NumberPattern m_pattern;
};

/// @brief A fixed tick step (widened to whole multiples only when zoomed far out, so the tick
/// count stays bounded), labels by pattern in the user's current locale.
class PatternFixedTicker : public QCPAxisTickerFixed {
  public:
    PatternFixedTicker(double step, NumberPattern pattern);

  protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return formatByPattern(tick, m_pattern, QLocale());
    }

  private:
    NumberPattern m_pattern;
};

}  // namespace kestrel
