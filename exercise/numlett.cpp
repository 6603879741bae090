#include "numlett.h"

#include "currency.h"
#include "gameerror.h"

#include <QString>

#include <array>
#include <cmath>

namespace {

// Entry v + 1 names the value v from 0 to 20; entry t + 19 the tens digit t from 2 to 9.
// Entry 0 is never used.
constexpr std::array<const char*, 29> parole = {
    "",           "",         "uno",         "due",
    "tre",        "quattro",  "cinque",      "sei",
    "sette",      "otto",     "nove",        "dieci",
    "undici",     "dodici",   "tredici",     "quattordici",
    "quindici",   "sedici",   "diciassette", "diciotto",
    "diciannove", "venti",    "trenta",      "quaranta",
    "cinquanta",  "sessanta", "settanta",    "ottanta",
    "novanta",
};

QString parola(int index)
{
    // Group values stay below 1000, so the index stays in the table; this guards the reasoning.
    if (index < 1 || index >= static_cast<int>(parole.size()))
        throw GameError("Numero fuori dalla tabella delle parole.");
    return QString::fromUtf8(parole[static_cast<std::size_t>(index)]);
}

// Appends the words of a group from 1 to 999.
void appendGroup(QString& s, int r)
{
    if (r > 99) {
        const int h = r / 100;
        r -= 100 * h;
        if (h != 1)
            s += parola(h + 1);
        s += QStringLiteral("cento");
    }
    if (r <= 20) {
        s += parola(r + 1);
        return;
    }
    const int t = r / 10;
    s += parola(t + 19);
    r -= 10 * t;
    if (r == 1 || r == 8)
        s.chop(1); // venti + uno = ventuno, trenta + otto = trentotto
    s += parola(r + 1);
}

void appendScale(QString& s, int position, int group)
{
    switch (position) {
    case 1:
        if (group == 1) {
            s.chop(3);
            s += QStringLiteral("mille");
        } else {
            s += QStringLiteral("mila");
        }
        break;
    case 2:
        if (group == 1) {
            s.chop(3);
            s += QStringLiteral("unmilione");
        } else {
            s += QStringLiteral("milioni");
        }
        break;
    case 3:
        s = group == 1 ? QStringLiteral("unmiliardo") : s + QStringLiteral("miliardi");
        break;
    default:
        break;
    }
}

} // namespace

QString numlett(Currency& value)
{
    if (value.tenThousandths() >= Currency::fromWhole(1'000'000'000'000).tenThousandths())
        throw GameError("Numero troppo grande per essere scritto in lettere.");

    QString s;
    for (int n = 3; n >= 0; --n) {
        const double unit = std::pow(1000.0, n);
        const double g = std::floor(value.toDouble() / unit);
        if (g <= 0)
            continue;
        const int group = static_cast<int>(g);
        appendGroup(s, group);
        appendScale(s, n, group);
        value = Currency::fromDouble(value.toDouble() - g * unit);
    }
    return s;
}
