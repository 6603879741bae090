#pragma once

#include <QtGlobal>
#include <algorithm>

// How long words that cannot be heard stay up, so the balloon that shows them is paced like
// speech: about as long as saying them would take, and long enough to read a short one.
inline int silentSpeechMs(qsizetype letters, double pace)
{
    constexpr double msPerLetter = 70;
    constexpr double shortestMs = 1200;
    return int(std::max(shortestMs, msPerLetter * double(letters)) / (pace > 0 ? pace : 1.0));
}
