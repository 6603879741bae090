#include "verdict.h"

namespace {

constexpr Rgb yellow{255, 255, 0};
constexpr Rgb red{255, 0, 0};
constexpr Rgb blue{0, 0, 255};

const QString rightCaption = QStringLiteral("Esatto, è incredibile!!!");
const QString wrongCaption = QStringLiteral("Sbagliato!! ");

} // namespace

Verdict Verdict::right()
{
    return {yellow, rightCaption};
}

Verdict Verdict::wrong(const QString& numeral, const QString& value)
{
    return {red, wrongCaption + numeral + QStringLiteral(" in base 2 è ") +
                     QStringLiteral("uguale a ") + value};
}

Verdict Verdict::closedRight()
{
    return {blue, rightCaption};
}

Verdict Verdict::closedWrong(const QString& words)
{
    return {red, wrongCaption + words};
}
