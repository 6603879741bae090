#pragma once

#include "mouthshape.h"

#include <QByteArrayView>
#include <QtGlobal>
#include <vector>

// A moment of synthesised speech worth following: a word beginning (its place in the text) or a
// sound beginning (the mouth shape it calls for), at a sample offset from the start of the text.
struct SpeechMark {
    enum class Kind { Word, Sound };
    Kind kind = Kind::Word;
    qint64 sample = 0;
    int start = 0;  // words: first character in the spoken text (QString index)
    int length = 0; // words: how many characters
    MouthShape mouth = MouthShape::Closed;
};

// The word being said in a text.
struct SpokenWord {
    int start = -1; // -1: none
    int length = 0;
    friend bool operator==(const SpokenWord&, const SpokenWord&) = default;
};

// The marks of one spoken text, asked which word and mouth shape belong to a played position.
class ReadAlong {
public:
    void clear();
    // Marks arrive with the sound, in order.
    void add(const std::vector<SpeechMark>& marks);

    SpokenWord wordAt(qint64 sample) const;
    MouthShape mouthAt(qint64 sample) const;
    bool hasWords() const { return !words_.empty(); }

    // The mouth shape for one of espeak-ng's phoneme mnemonics ("a", "tS", "_:" ...).
    static MouthShape mouthFor(QByteArrayView phoneme);

private:
    std::vector<SpeechMark> words_;
    std::vector<SpeechMark> sounds_;
};
