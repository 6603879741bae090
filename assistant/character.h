#pragma once

#include <QObject>
#include <QString>

// One assistant character as the game window drives it. Requests return at once and are
// performed in the order given; nothing is waited on.
class Character : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~Character() override;

    virtual void Show() = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void Play(const QString& animation) = 0;
    // Takes effect at once; the width follows the figure's proportions.
    virtual void setHeight(int pixels) = 0;
    virtual void Speak(const QString& text) = 0;

signals:
    // The character cannot be heard (no voice, no sound output): its balloon alone carries the
    // words. Reported once per character, with a short Italian sentence.
    void voiceUnavailable(const QString& message);
    // From the moment its words show and are heard to their end.
    void speechStarted(const QString& text);
    void speechFinished(const QString& text);
};
