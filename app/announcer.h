#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QAccessibleInterface;

// What a screen reader hears of the game besides the focus: short notices, each read once and
// whole, one at a time, after what it is already saying (the focus it has just followed,
// Merlin's words, the notice before). Each notice is a notification shown anew, which Orca speaks
// on Qt 6.4 and 6.8 alike; the widget itself draws nothing.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    void announce(const QString& text);
    // A notice no longer news, if it still waits, is not given.
    void withdraw(const QString& text);
    // Something else is being read: no notice until it is over.
    void hearing(const QString& text);
    // Merlin is asked to speak, speaks from the first to the second: notices wait for him. He
    // may first finish a move; one that does not begin to speak is not waited for long.
    void expectSpeech();
    void speechStarted(const QString& text);
    void speechFinished(const QString& text);

    // How long a screen reader takes over a text, at its usual pace.
    std::chrono::milliseconds readingTime(const QString& text) const;
    void setPace(std::chrono::milliseconds perCharacter, std::chrono::milliseconds settle,
                 std::chrono::milliseconds giveUp);

    // For QAccessible::installFactory.
    static QAccessibleInterface* accessible(const QString& key, QObject* object);

signals:
    void announced(const QString& text);

private:
    void followFocus(QWidget* now);
    void holdFor(std::chrono::milliseconds time);
    void next();

    QStringList waiting_;
    QTimer quiet_;     // until what is being read is over
    QTimer giveUp_;    // on speech asked for that does not begin
    int expected_ = 0; // speech asked for, not yet begun
    int speaking_ = 0;
    std::chrono::milliseconds perCharacter_{70};
    std::chrono::milliseconds settle_{700};
};
