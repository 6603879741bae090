#pragma once

#include <QByteArray>
#include <QObject>

// Where synthesised speech goes: 16-bit mono PCM arrives in pieces while it is being made,
// end() says no more will come, drained() tells that the last sample has been heard.
class PcmPlayer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PcmPlayer() override;

    virtual void begin(int sampleRate) = 0;
    virtual void append(const QByteArray& pcm) = 0;
    virtual void end() = 0;
    virtual void stop() = 0;
    // How much of the sound has been heard so far, in microseconds since begin().
    virtual qint64 playedUSecs() const = 0;

signals:
    void drained();
    // The output cannot play (no device, device gone). Nothing more comes from this player.
    void failed();
};
