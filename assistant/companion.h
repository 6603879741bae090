#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Makes the character's frameless windows (its figure, its balloon) belong to the game window:
// transient for it, so that a window manager keeps them with the game and above it alone, and,
// on X11, kept out of taskbars and pagers each time they are shown.
class Companion : public QObject {
    Q_OBJECT

public:
    explicit Companion(QWidget* host, QObject* parent = nullptr);

    void attach(QWidget* window);

    // Whether a top-level window stands where the program puts it: not on native Wayland, nor
    // under Weston's window manager for XWayland, which puts a transient window at its own
    // frame's offset from its parent's, over the game. Read once, at the first call.
    static bool placesWhereAsked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> host_;
};
