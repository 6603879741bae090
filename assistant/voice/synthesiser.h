#pragma once

#include "readalong.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QObject;
class SpeechJob;

// Turns text into sound and the marks that follow it. The game's is the espeak-ng engine; tests
// hand a voice one of their own, with chosen sound and marks.
class Synthesiser {
public:
    // Called on the receiver's thread, in order: pieces of 16-bit mono PCM with the marks that
    // fall in them, then done once.
    using ChunkHandler = std::function<void(const QByteArray& pcm, int sampleRate,
                                            const std::vector<SpeechMark>& marks)>;
    using DoneHandler = std::function<void(bool spoken)>;

    virtual ~Synthesiser() = default;

    // The handlers never run after cancel() or once the receiver is gone.
    virtual std::shared_ptr<SpeechJob> synthesize(const QString& text, QObject* receiver,
                                                  ChunkHandler onChunk, DoneHandler onDone) = 0;
    virtual void cancel(const std::shared_ptr<SpeechJob>& job) = 0;
    // False once setting up the voice has failed.
    virtual bool hasVoice() = 0;
};
