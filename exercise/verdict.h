#pragma once

#include "rgb.h"

#include <QString>

// What the verdict line says, and in which colour.
struct Verdict {
    Rgb colour;
    QString caption;

    // The answer is compared as text: exactly, case and blanks included, no conversion to numbers.
    static bool isRight(const QString& answer, const QString& value) { return answer == value; }

    // After Enter in the answer box.
    static Verdict right();
    static Verdict wrong(const QString& numeral, const QString& value);

    // When the previous exercise is closed, just before the next is dealt.
    static Verdict closedRight();
    static Verdict closedWrong(const QString& words);
};
