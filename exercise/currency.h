#pragma once

#include <QtGlobal>

class QString;

// A signed 64-bit fixed-point number with four decimal places: a count of ten-thousandths.
class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency fromTenThousandths(qint64 count) { return Currency(count); }
    static constexpr Currency fromWhole(qint64 whole) { return Currency(whole * scale); }
    // Rounds to the nearest ten-thousandth, halves to even. Throws GameError when out of range.
    static Currency fromDouble(double value);
    // Throws GameError for text that is not a number.
    static Currency fromText(const QString& text);

    double toDouble() const;
    constexpr qint64 tenThousandths() const { return count_; }

    friend constexpr bool operator==(Currency, Currency) = default;

    static constexpr qint64 scale = 10'000;

private:
    constexpr explicit Currency(qint64 count)
        : count_(count)
    {}
    qint64 count_ = 0;
};
