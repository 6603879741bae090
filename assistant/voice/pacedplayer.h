#pragma once

#include "pcmplayer.h"

#include <QElapsedTimer>
#include <QTimer>

// Plays nothing but takes as long as the sound would: where no sound can be heard, the speech
// balloon still stays up for as long as the words take to say.
class PacedPlayer : public PcmPlayer {
    Q_OBJECT

public:
    explicit PacedPlayer(double pace = 1.0, QObject* parent = nullptr);

    void begin(int sampleRate) override;
    void append(const QByteArray& pcm) override;
    void end() override;
    void stop() override;
    qint64 playedUSecs() const override;

private:
    double pace_;
    int sampleRate_ = 22050;
    qint64 bytes_ = 0;
    QElapsedTimer started_;
    QTimer done_;
};
