#pragma once

#include "voice.h"

#include <QStringList>

// A voice the test finishes by hand, so the queue's pacing is in the test's control.
class FakeVoice : public Voice {
    Q_OBJECT

public:
    void prepare() override { prepared = true; }
    void say(const QString& text) override
    {
        said << text;
        speaking = true;
    }
    void stop() override { speaking = false; }

    void hear(int start, int length) { emit wordHeard(start, length); }
    void shape(MouthShape mouth) { emit mouthShaped(mouth); }

    void finish()
    {
        if (!speaking)
            return;
        speaking = false;
        emit finished();
    }

    QStringList said;
    bool speaking = false;
    bool prepared = false;
};
