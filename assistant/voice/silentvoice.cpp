#include "silentvoice.h"

#include <algorithm>

SilentVoice::SilentVoice(double pace, QObject* parent)
    : Voice(parent)
    , pace_(pace > 0 ? pace : 1.0)
{
    done_.setSingleShot(true);
    connect(&done_, &QTimer::timeout, this, &Voice::finished);
}

void SilentVoice::say(const QString& text)
{
    constexpr double msPerLetter = 70;
    constexpr double shortestMs = 1200;
    emit unavailable(Trouble::NoVoice);
    done_.start(int(std::max(shortestMs, msPerLetter * double(text.size())) / pace_));
}

void SilentVoice::stop()
{
    done_.stop();
}
