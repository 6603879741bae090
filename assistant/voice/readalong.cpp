#include "readalong.h"

#include <algorithm>

namespace {

// The last mark at or before the sample, or null.
const SpeechMark* lastAt(const std::vector<SpeechMark>& marks, qint64 sample)
{
    const auto after =
        std::upper_bound(marks.begin(), marks.end(), sample,
                         [](qint64 s, const SpeechMark& mark) { return s < mark.sample; });
    return after == marks.begin() ? nullptr : &*(after - 1);
}

} // namespace

void ReadAlong::clear()
{
    words_.clear();
    sounds_.clear();
}

void ReadAlong::add(const std::vector<SpeechMark>& marks)
{
    for (const SpeechMark& mark : marks)
        (mark.kind == SpeechMark::Kind::Word ? words_ : sounds_).push_back(mark);
}

SpokenWord ReadAlong::wordAt(qint64 sample) const
{
    const SpeechMark* word = lastAt(words_, sample);
    return word ? SpokenWord{word->start, word->length} : SpokenWord{};
}

MouthShape ReadAlong::mouthAt(qint64 sample) const
{
    const SpeechMark* sound = lastAt(sounds_, sample);
    return sound ? sound->mouth : MouthShape::Closed;
}

MouthShape ReadAlong::mouthFor(QByteArrayView phoneme)
{
    if (phoneme.isEmpty())
        return MouthShape::Closed;
    switch (phoneme.front()) {
    case '_': // pauses
    case 'm':
    case 'b':
    case 'p':
        return MouthShape::Closed;
    case 'a':
    case 'A':
        return MouthShape::Open;
    case 'o':
    case 'O':
    case 'u':
    case 'w':
        return MouthShape::Round;
    case 'f':
    case 'v':
        return MouthShape::Teeth;
    default: // e, i and the consonants said with the lips apart
        return MouthShape::Mid;
    }
}
