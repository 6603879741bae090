#pragma once

#include <QString>

// The five base-2 digits of a number from 0 to 31, most significant last.
struct BinaryDigits {
    int units = 0;
    int twos = 0;
    int fours = 0;
    int eights = 0;
    int sixteens = 0;

    // Each digit is taken from the remainder left by the lower ones, units first.
    static BinaryDigits of(int value);

    // The base-2 numeral: leading zeros left out, the units digit always written.
    QString numeral() const;
};
