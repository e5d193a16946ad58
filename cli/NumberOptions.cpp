#include "NumberOptions.h"

#include <QRegularExpression>

#include <limits>

// Any integer; values beyond the 32-bit range saturate, which the facade's
// clamping treats exactly as the full value.
std::int32_t ParseInteger(const QString& option, const QString& text) {
  static const QRegularExpression integer(QStringLiteral("^\\s*([+-]?)([0-9]+)\\s*$"));
  const QRegularExpressionMatch match = integer.match(text);
  if (!match.hasMatch())
    throw TUsageError("--" + option.toStdString() + " needs an integer, not '" + text.toStdString() + "'");
  const bool negative = match.captured(1) == QStringLiteral("-");
  bool fits = false;
  const qlonglong magnitude = match.captured(2).toLongLong(&fits);
  if (!fits || magnitude > std::numeric_limits<std::int32_t>::max())
    return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// FROM:TO or FROM:TO:STEP, each an integer (saturating like ParseInteger).
TExploreRange ParseRange(const QString& option, const QString& text, std::int32_t step) {
  static const QRegularExpression range(QStringLiteral("^\\s*([+-]?[0-9]+)\\s*:\\s*([+-]?[0-9]+)\\s*(?::\\s*([+-]?[0-9]+)\\s*)?$"));
  const QRegularExpressionMatch match = range.match(text);
  if (!match.hasMatch())
    throw TUsageError("--" + option.toStdString() + " needs FROM:TO or FROM:TO:STEP, not '" + text.toStdString() + "'");
  TExploreRange values{ParseInteger(option, match.captured(1)), ParseInteger(option, match.captured(2)), step};
  if (match.hasCaptured(3)) values.step = ParseInteger(option, match.captured(3));
  return values;
}

