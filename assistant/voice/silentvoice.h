#pragma once

#include "voice.h"

#include <QTimer>

// The voice where none can be heard: it says that no voice is there, and keeps the words up for
// about as long as saying them would take, long enough to read a short one.
class SilentVoice : public Voice {
    Q_OBJECT

public:
    // pace > 1 shortens the words' time (tests use it).
    explicit SilentVoice(double pace = 1.0, QObject* parent = nullptr);

    void say(const QString& text) override;
    void stop() override;

private:
    double pace_;
    QTimer done_;
};
