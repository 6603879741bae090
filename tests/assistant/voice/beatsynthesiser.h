#pragma once

#include "synthesiser.h"

#include <QMetaObject>
#include <QRegularExpression>
#include <array>
#include <memory>

// Says any text one word a beat, in silence: each word's mark at the start of its beat, its sound
// a quarter in (the shapes taken in turn, see mouthOfWord), the lips closed for the last quarter.
class BeatSynthesiser : public Synthesiser {
public:
    static constexpr int kRate = 22050;

    explicit BeatSynthesiser(qint64 beatSamples)
        : beat_(beatSamples)
    {}

    // What counts as a word of the text.
    static const QRegularExpression& wordPattern()
    {
        static const QRegularExpression word(QStringLiteral(R"([\w']+)"),
                                             QRegularExpression::UseUnicodePropertiesOption);
        return word;
    }

    static MouthShape mouthOfWord(int index)
    {
        constexpr std::array shapes{MouthShape::Open, MouthShape::Mid, MouthShape::Round,
                                    MouthShape::Teeth};
        return shapes[std::size_t(index) % shapes.size()];
    }

    std::shared_ptr<SpeechJob> synthesize(const QString& text, QObject* receiver,
                                          ChunkHandler onChunk, DoneHandler onDone) override
    {
        std::vector<SpeechMark> marks;
        qint64 at = 0;
        int index = 0;
        for (const QRegularExpressionMatch& word : wordPattern().globalMatch(text)) {
            marks.push_back({SpeechMark::Kind::Word, at, int(word.capturedStart()),
                             int(word.capturedLength()), MouthShape::Closed});
            marks.push_back({SpeechMark::Kind::Sound, at + beat_ / 4, 0, 0, mouthOfWord(index++)});
            marks.push_back(
                {SpeechMark::Kind::Sound, at + beat_ * 3 / 4, 0, 0, MouthShape::Closed});
            at += beat_;
        }
        const QByteArray pcm(std::max<qint64>(at, beat_) * 2, '\0');
        QMetaObject::invokeMethod(
            receiver,
            [pcm, marks, onChunk, onDone, asked = *generation_, now = generation_] {
                if (asked != *now)
                    return; // cancelled
                onChunk(pcm, kRate, marks);
                onDone(true);
            },
            Qt::QueuedConnection);
        return nullptr;
    }
    // One voice per synthesiser: whatever it was making is called off.
    void cancel(const std::shared_ptr<SpeechJob>&) override { ++*generation_; }
    bool hasVoice() override { return true; }

private:
    qint64 beat_;
    std::shared_ptr<int> generation_ = std::make_shared<int>(0);
};
