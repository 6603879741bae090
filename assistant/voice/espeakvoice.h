#pragma once

#include "readalong.h"
#include "silentvoice.h"
#include "voice.h"

#include <QTimer>
#include <functional>
#include <memory>

class PcmPlayer;
class Synthesiser;
class SpeechJob;

// The character's Italian voice: espeak-ng makes the sound on the shared speech thread, a
// PcmPlayer plays it. Without a sound device, or without the voice, the words still take the
// time they would take to say, so the balloon that shows them is paced like speech.
class EspeakVoice : public Voice {
    Q_OBJECT

public:
    using PlayerFactory = std::function<std::unique_ptr<PcmPlayer>()>;

    // pace > 1 shortens the silent fallbacks (tests use it). Without a factory the voice plays
    // on the default audio output when there is one.
    // Without a synthesiser the voice uses the process's espeak-ng engine, from prepare() or its
    // first say() on.
    explicit EspeakVoice(double pace = 1.0, PlayerFactory makePlayer = {},
                         std::shared_ptr<Synthesiser> synthesiser = {}, QObject* parent = nullptr);
    ~EspeakVoice() override;

    void prepare() override;
    void say(const QString& text) override;
    void stop() override;

private:
    void onChunk(const QByteArray& pcm, int sampleRate, const std::vector<SpeechMark>& marks);
    void followPlayed();
    void settle();
    void onSynthesised(bool spoken);
    void onPlayerFailed();
    void onPlayerDrained();
    void paceByLetters();
    std::unique_ptr<PcmPlayer> makePlayer();
    Synthesiser& engine();

    std::shared_ptr<Synthesiser> engine_;
    std::shared_ptr<SpeechJob> job_;
    std::unique_ptr<PcmPlayer> player_;
    PlayerFactory playerFactory_;
    double pace_;
    QString text_;
    int sampleRate_ = 0;
    qint64 bytes_ = 0;
    bool synthesised_ = false;
    bool speaking_ = false;
    bool deviceFailed_ = false;
    SilentVoice letters_; // paces words that make no sound
    ReadAlong readAlong_;
    SpokenWord heardWord_;
    MouthShape heardMouth_ = MouthShape::Closed;
    QTimer follow_;
};
