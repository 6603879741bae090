#pragma once

#include <QObject>

#include <functional>
#include <memory>

class Tavola;

// The running program: its one window, which a restart replaces by a fresh one.
class Game : public QObject {
    Q_OBJECT

public:
    using WindowFactory = std::function<std::unique_ptr<Tavola>()>;

    // Without a factory every window is the game as it ships.
    explicit Game(WindowFactory makeWindow = {}, QObject* parent = nullptr);
    ~Game() override;

    void start();
    Tavola* window() const { return window_.get(); }

signals:
    // A fresh window has replaced the old one, which is gone.
    void restarted();
    // The learner said goodbye: the program is to end now.
    void ended();

private:
    // A first window opens to fit the screen; a later one as the window before it stands.
    std::unique_ptr<Tavola> openWindow(const Tavola* previous = nullptr);
    void restart();

    WindowFactory makeWindow_;
    std::unique_ptr<Tavola> window_;
    bool voiceNoticeGiven_ = false;
};
