#pragma once

#include "pcmplayer.h"

#include <QAudio>
#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

class QAudioSink;
class QIODevice;

// Plays speech through Qt Multimedia on the given output device, pushing the sound to the sink
// as fast as it takes it.
class SinkPlayer : public PcmPlayer {
    Q_OBJECT

public:
    explicit SinkPlayer(const QAudioDevice& device, QObject* parent = nullptr);
    ~SinkPlayer() override;

    void begin(int sampleRate) override;
    void append(const QByteArray& pcm) override;
    void end() override;
    void stop() override;
    qint64 playedUSecs() const override;

private:
    void startPlaying();
    void feed();
    void onStateChanged(QAudio::State state);
    void checkDrained();
    bool allHeard();

    QAudioDevice device_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* output_ = nullptr; // owned by the sink
    QByteArray sound_;
    qint64 written_ = 0;
    qint64 startBytes_ = 0;
    qint64 bytesPerSecond_ = 0;
    bool ended_ = false;
    QElapsedTimer handedOver_; // since the sink took the last of the sound
    QTimer feeder_;
};
