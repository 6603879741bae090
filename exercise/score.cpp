#include "score.h"

#include "gameerror.h"

#include <QString>

#include <algorithm>

namespace {

void raise(int& count)
{
    if (count >= Score::maximum)
        throw OverflowError("Hai dato così tante risposte che non riesco più a contarle!");
    ++count;
}

} // namespace

Score::Score(int esatte, int errate)
    : esatte_(std::clamp(esatte, 0, maximum))
    , errate_(std::clamp(errate, 0, maximum))
{}

void Score::raiseEsatte()
{
    raise(esatte_);
}

void Score::raiseErrate()
{
    raise(errate_);
}

void Score::reset()
{
    *this = Score();
}

QString countText(int count)
{
    return QString::number(count);
}
