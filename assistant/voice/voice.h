#pragma once

#include "mouthshape.h"

#include <QObject>
#include <QString>

// Says one text at a time and reports when it has been said. The character's queue moves on
// only at finished(), so a voice decides how long speaking takes.
class Voice : public QObject {
    Q_OBJECT

public:
    // Why the words cannot be heard.
    enum class Trouble { NoVoice, NoOutput };
    Q_ENUM(Trouble)

    using QObject::QObject;
    ~Voice() override;

    // Gets ready ahead of the first say() (a sound server is slow to answer the first time).
    virtual void prepare() {}
    virtual void say(const QString& text) = 0;
    // Silences the voice at once; no finished() follows for the text it was saying.
    virtual void stop() = 0;

signals:
    void finished();
    // The text is still paced as speech and finished() still follows.
    void unavailable(Voice::Trouble trouble);
    // While a text is heard: the word being said (its place in the text; start -1 once none is)
    // and the shape of the mouth for the sound being heard.
    void wordHeard(int start, int length);
    void mouthShaped(MouthShape shape);
};
