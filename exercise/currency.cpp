#include "currency.h"

#include "gameerror.h"

#include <QString>

#include <cmath>
#include <limits>

Currency Currency::fromDouble(double value)
{
    const double scaled = std::nearbyint(value * scale);
    // 2^63 is exactly representable; anything at or past it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(scaled) || scaled >= limit || scaled < -limit)
        throw OverflowError("Numero troppo grande.");
    return Currency(static_cast<qint64>(scaled));
}

Currency Currency::fromText(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        throw GameError(QStringLiteral("«%1» non è un numero.").arg(text).toStdString());
    return fromDouble(value);
}

double Currency::toDouble() const
{
    // Whole part and fraction apart, so that every whole number below 2^53 stays exact.
    return static_cast<double>(count_ / scale) + static_cast<double>(count_ % scale) / scale;
}
