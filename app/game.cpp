#include "game.h"

#include "tavola.h"

#include <utility>

namespace {

// Where the window's client area is designed to stand on the screen.
constexpr QPoint windowPlace(18, 39);

} // namespace

Game::Game(WindowFactory makeWindow, QObject* parent)
    : QObject(parent)
    , makeWindow_(std::move(makeWindow))
{
    if (!makeWindow_)
        makeWindow_ = [] {
            return std::make_unique<Tavola>();
        };
}

Game::~Game() = default;

void Game::start()
{
    window_ = openWindow();
}

std::unique_ptr<Tavola> Game::openWindow()
{
    std::unique_ptr<Tavola> window = makeWindow_();
    // The restart question is answered inside the window's own handler: replace the window
    // only once that handler has returned.
    connect(window.get(), &Tavola::restartChosen, this, &Game::restart, Qt::QueuedConnection);
    connect(window.get(), &Tavola::farewellClosed, this, &Game::ended);
    window->move(windowPlace);
    window->show();
    return window;
}

// The new window is up before the old one goes, so the program never stands without a window
// (which would end it) and the speech engine is not torn down between the two.
void Game::restart()
{
    std::unique_ptr<Tavola> old = std::move(window_);
    window_ = openWindow();
    old.reset();
    window_->activateWindow();
    emit restarted();
}
