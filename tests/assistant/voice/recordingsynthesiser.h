#pragma once

#include "speechengine.h"
#include "synthesiser.h"

#include <memory>
#include <vector>

// The process's espeak-ng engine, keeping the word marks it makes as the voice receives them.
class RecordingSynthesiser : public Synthesiser {
public:
    std::shared_ptr<SpeechJob> synthesize(const QString& text, QObject* receiver,
                                          ChunkHandler onChunk, DoneHandler onDone) override
    {
        return engine_->synthesize(
            text, receiver,
            [this, onChunk = std::move(onChunk)](const QByteArray& pcm, int rate,
                                                 const std::vector<SpeechMark>& marks) {
                for (const SpeechMark& mark : marks)
                    if (mark.kind == SpeechMark::Kind::Word)
                        words.push_back(mark);
                onChunk(pcm, rate, marks);
            },
            std::move(onDone));
    }
    void cancel(const std::shared_ptr<SpeechJob>& job) override { engine_->cancel(job); }
    bool hasVoice() override { return engine_->hasVoice(); }

    std::vector<SpeechMark> words;

private:
    std::shared_ptr<SpeechEngine> engine_ = SpeechEngine::shared();
};
