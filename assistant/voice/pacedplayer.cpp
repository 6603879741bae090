#include "pacedplayer.h"

#include <algorithm>

PacedPlayer::PacedPlayer(double pace, QObject* parent)
    : PcmPlayer(parent)
    , pace_(pace > 0 ? pace : 1.0)
{
    done_.setSingleShot(true);
    // A coarse timer may end a 9 s text up to 450 ms early: its last word would never be marked.
    done_.setTimerType(Qt::PreciseTimer);
    connect(&done_, &QTimer::timeout, this, &PcmPlayer::drained);
}

void PacedPlayer::begin(int sampleRate)
{
    sampleRate_ = sampleRate > 0 ? sampleRate : 22050;
    bytes_ = 0;
    done_.stop();
    started_.start();
}

void PacedPlayer::append(const QByteArray& pcm)
{
    bytes_ += pcm.size();
}

void PacedPlayer::end()
{
    const double soundMs = 1000.0 * double(bytes_ / 2) / sampleRate_ / pace_;
    const double elapsed = started_.isValid() ? double(started_.elapsed()) : 0.0;
    done_.start(int(std::max(0.0, soundMs - elapsed)));
}

void PacedPlayer::stop()
{
    done_.stop();
}

qint64 PacedPlayer::playedUSecs() const
{
    if (!started_.isValid())
        return 0;
    const double soundUSecs = 1e6 * double(bytes_ / 2) / sampleRate_;
    return qint64(std::min(double(started_.nsecsElapsed()) / 1000 * pace_, soundUSecs));
}
