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

Score::Score(int correct, int wrong)
    : correct_(std::clamp(correct, 0, maximum))
    , wrong_(std::clamp(wrong, 0, maximum))
{}

void Score::raiseCorrect()
{
    raise(correct_);
}

void Score::raiseWrong()
{
    raise(wrong_);
}

void Score::reset()
{
    *this = Score();
}

QString countText(int count)
{
    return QString::number(count);
}
