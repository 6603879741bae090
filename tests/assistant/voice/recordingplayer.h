#pragma once

#include "pcmplayer.h"

#include <QMetaObject>

#include <functional>
#include <memory>

// Keeps what it is given instead of playing it; "plays" it at once, or, when held, as far as the
// test sets `played` and until it calls finish(). With failAtBegin it behaves like a sound card
// that refuses to open.
class RecordingPlayer : public PcmPlayer {
    Q_OBJECT

public:
    explicit RecordingPlayer(QByteArray* sink, bool failAtBegin = false)
        : sink_(sink)
        , failAtBegin_(failAtBegin)
    {}

    void begin(int sampleRate) override
    {
        rate = sampleRate;
        if (failAtBegin_)
            QMetaObject::invokeMethod(this, &PcmPlayer::failed, Qt::QueuedConnection);
    }
    void append(const QByteArray& pcm) override { sink_->append(pcm); }
    void end() override
    {
        ended = true;
        if (!held)
            QMetaObject::invokeMethod(this, &PcmPlayer::drained, Qt::QueuedConnection);
    }
    void stop() override {}
    qint64 playedUSecs() const override { return played; }
    void finish() { emit drained(); }

    int rate = 0;
    bool held = false;
    bool ended = false;
    qint64 played = 0;

private:
    QByteArray* sink_;
    bool failAtBegin_;
};

// Makes held players that keep the sound in *sink; *made is the last one made.
inline std::function<std::unique_ptr<PcmPlayer>()> heldPlayers(QByteArray* sink,
                                                               RecordingPlayer** made)
{
    return [sink, made] {
        auto player = std::make_unique<RecordingPlayer>(sink);
        player->held = true;
        *made = player.get();
        return player;
    };
}
