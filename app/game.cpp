#include "game.h"

#include "startuptrace.h"
#include "tavola.h"

#include <QGuiApplication>
#include <QPixmapCache>
#include <QScreen>

#include <utility>

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

std::unique_ptr<Tavola> Game::openWindow(const Tavola* previous)
{
    std::unique_ptr<Tavola> window = makeWindow_();
    startup::stamp("window built");
    // The restart question is answered inside the window's own handler: replace the window
    // only once that handler has returned.
    connect(window.get(), &Tavola::restartChosen, this, &Game::restart, Qt::QueuedConnection);
    connect(window.get(), &Tavola::farewellClosed, this, &Game::ended);
    // That the assistant cannot be heard is said once in the program, not at every new game.
    if (voiceNoticeGiven_)
        window->setVoiceNoticeGiven();
    connect(window.get(), &Tavola::voiceNoticeShown, this, [this] { voiceNoticeGiven_ = true; });
    if (previous)
        window->openAs(*previous); // a new game in the window as the teacher left it
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->openWithin(screen->availableGeometry());
    window->show();
    startup::watchFirstFrame(window.get());
    return window;
}

// The new window is up before the old one goes, so the program never stands without a window
// (which would end it) and the speech engine is not torn down between the two.
void Game::restart()
{
    std::unique_ptr<Tavola> old = std::move(window_);
    window_ = openWindow(old.get());
    old.reset();
    // Pixmaps drawn for the old window's widgets and pictures are cached under keys no new
    // window asks for again; dropped here, they no longer pile up with every restart.
    QPixmapCache::clear();
    window_->activateWindow();
    emit restarted();
}
