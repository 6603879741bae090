#include "binarydigits.h"

BinaryDigits BinaryDigits::of(int v)
{
    BinaryDigits d;
    d.units = v % 2;
    d.twos = ((v - d.units) / 2) % 2;
    d.fours = ((v - d.units - 2 * d.twos) / 4) % 2;
    d.eights = ((v - d.units - 2 * d.twos - 4 * d.fours) / 8) % 2;
    d.sixteens = (v - d.units - 2 * d.twos - 4 * d.fours - 8 * d.eights) / 16;
    return d;
}

QString BinaryDigits::numeral() const
{
    // A piece is left out only while every higher piece is left out too: only leading zeros go.
    const QString sixteensPiece = sixteens == 0 ? QString() : QString::number(sixteens);
    const QString eightsPiece =
        sixteensPiece.isEmpty() && eights == 0 ? QString() : QString::number(eights);
    const QString foursPiece =
        (sixteensPiece + eightsPiece).isEmpty() && fours == 0 ? QString() : QString::number(fours);
    const QString twosPiece = (sixteensPiece + eightsPiece + foursPiece).isEmpty() && twos == 0
                                  ? QString()
                                  : QString::number(twos);
    return sixteensPiece + eightsPiece + foursPiece + twosPiece + QString::number(units);
}
