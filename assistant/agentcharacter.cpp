#include "agentcharacter.h"

#include "balloonwindow.h"
#include "characterdescription.h"
#include "characterwindow.h"
#include "companion.h"
#include "figureplacement.h"
#include "voice.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace {

// After the voice stops the words stay up long enough for a slow reader.
int lingerMs(const QString& text, double pace)
{
    const double ms = std::clamp(40.0 * double(text.size()), 1500.0, 6000.0);
    return int(ms / pace);
}

// Until the game places it, the figure waits in the lower right corner of the screen.
QPoint restingPlace(QSize figure)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return area.bottomRight() - QPoint(figure.width() + 40, figure.height() + 40);
}

// A host window that is never drawn (minimised, say) holds the character back no longer than this.
constexpr int hostWaitLimitMs = 1000;

QString troubleMessage(Voice::Trouble trouble, const QString& name)
{
    const QString why = trouble == Voice::Trouble::NoVoice
                            ? QStringLiteral("%1 non si sente: manca la voce italiana.")
                            : QStringLiteral("%1 non si sente: non c'è un'uscita audio.");
    return why.arg(name) + QStringLiteral(" Le sue parole si leggono nel fumetto.");
}

} // namespace

AgentCharacter::AgentCharacter(const QString& name,
                               std::shared_ptr<const CharacterDescription> description,
                               const AgentOptions& options, QObject* parent)
    : Character(parent)
    , name_(name)
    , pace_(options.pace > 0 ? options.pace : 1.0)
    , figure_(std::make_unique<CharacterWindow>(std::move(description), pace_))
    , balloon_(std::make_unique<BalloonWindow>())
    , makeVoice_(options.makeVoice)
{
    stage_ = options.stage;
    figure_->setWindowTitle(name);
    figure_->setAccessibleName(name);
    figure_->move(restingPlace(figure_->size()));
    balloonLinger_.setSingleShot(true);
    connect(&balloonLinger_, &QTimer::timeout, this, &AgentCharacter::hideBalloon);
    hostWait_.setSingleShot(true);
    hostWait_.setInterval(hostWaitLimitMs);
    connect(&hostWait_, &QTimer::timeout, this, &AgentCharacter::comeOnStage);
    connect(figure_.get(), &CharacterWindow::clipFinished, this, [this] {
        if (current_ &&
            (current_->kind == RequestKind::Show || current_->kind == RequestKind::Play))
            finishCurrent();
    });
    connect(figure_.get(), &CharacterWindow::glideFinished, this, [this] {
        if (current_ && current_->kind == RequestKind::Move)
            finishCurrent();
    });
    connect(figure_.get(), &CharacterWindow::placed, this, [this](const QRect& geometry) {
        if (balloon_->isVisible())
            balloon_->follow(geometry);
    });
    if (!stage_.client)
        return;
    scale_ = stage_.scale();
    balloon_->setScale(scale_);
    figureFlags_ = figure_->windowFlags();
    balloonFlags_ = balloon_->windowFlags();
    companion_ = std::make_unique<Companion>(stage_.client);
    stage_.client->window()->installEventFilter(this);
    if (stage_.client->window() != stage_.client)
        stage_.client->installEventFilter(this);
    if (stage_.board)
        stage_.board->installEventFilter(this);
    takeStage();
}

AgentCharacter::AgentCharacter(const QString& name, QObject* parent)
    : Character(parent)
    , name_(name)
{}

AgentCharacter::~AgentCharacter()
{
    // Silence first, so no report from the voice reaches a half-destroyed character.
    if (voice_) {
        voice_->disconnect(this);
        voice_->stop();
        voice_.reset();
    }
    if (figure_)
        figure_->disconnect(this);
    if (stage_.client) {
        stage_.client->window()->removeEventFilter(this);
        stage_.client->removeEventFilter(this);
    }
    if (stage_.board)
        stage_.board->removeEventFilter(this);
    balloon_.reset();
    figure_.reset();
}

void AgentCharacter::Show()
{
    enqueue({RequestKind::Show, {}, {}});
}

void AgentCharacter::MoveTo(int x, int y)
{
    enqueue({RequestKind::Move, QStringLiteral("%1,%2").arg(x).arg(y), QPoint(x, y)});
}

void AgentCharacter::Play(const QString& animation)
{
    enqueue({RequestKind::Play, animation, {}});
}

void AgentCharacter::Speak(const QString& text)
{
    enqueue({RequestKind::Speak, text, {}});
}

void AgentCharacter::setHeight(int pixels)
{
    askedHeight_ = pixels;
    if (!figure_)
        return;
    figure_->setFigureHeight(int(std::lround(pixels * scale_)));
    if (standsOnBoard_)
        standOnBoard();
}

bool AgentCharacter::onBoard() const
{
    return stage_.board && !stage_.board->isHidden();
}

// Children of the board, they move and hide with the game and never take the focus; beside it,
// windows of their own that belong to it.
void AgentCharacter::takeStage()
{
    const bool board = onBoard();
    if (board == standsOnBoard_) {
        if (board)
            standOnBoard();
        return;
    }
    standsOnBoard_ = board;
    const bool figureShown = !figure_->isHidden();
    const bool balloonShown = !balloon_->isHidden();
    if (board) {
        // Drawn by the game's own window, not kept as X windows inside it: a window manager,
        // still letting go of the window it framed, may take such a window back as one of its own
        // and give it the keyboard, and native children make every window up to the game native.
        figure_->setAttribute(Qt::WA_NativeWindow, false);
        balloon_->setAttribute(Qt::WA_NativeWindow, false);
        figure_->setParent(stage_.board, Qt::Widget);
        balloon_->setParent(stage_.board, Qt::Widget);
        figure_->setAttribute(Qt::WA_TransparentForMouseEvents);
        standOnBoard();
    } else {
        figure_->setParent(nullptr, figureFlags_);
        balloon_->setParent(nullptr, balloonFlags_);
        figure_->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        balloon_->keepWithin({});
        // As tall as asked again, where the board had no room for that.
        if (askedHeight_ > 0)
            figure_->setFigureHeight(int(std::lround(askedHeight_ * scale_)));
        if (onStage_) {
            companion_->attach(figure_.get());
            companion_->attach(balloon_.get());
        }
        // Until a place is asked for, where the game's right edge meets its top.
        glideTarget_ =
            placeFor(asked_.value_or(stage_.designedAt + QPoint(stage_.designedSize.width(), 0)));
        figure_->move(glideTarget_);
        if (figure_->isGliding())
            figure_->glideTo(glideTarget_);
    }
    figure_->setVisible(figureShown && !hostAway_);
    balloon_->setVisible(balloonShown && !hostAway_);
    if (balloonShown)
        balloon_->follow(figure_->geometry());
}

// At the board's foot, beside the design, as large as asked where the board has room for it;
// the balloon opens within the board.
void AgentCharacter::standOnBoard()
{
    const QRect area = stage_.board->rect();
    if (area.isEmpty())
        return;
    balloon_->keepWithin(area);
    const int asked =
        askedHeight_ > 0 ? int(std::lround(askedHeight_ * scale_)) : figure_->height();
    const QSize size = figure_->size();
    figure_->setFigureHeight(
        std::max(1, std::min({asked, area.height(), area.width() * size.height() / size.width()})));
    const QRect board(stage_.board->mapToGlobal(QPoint()), stage_.board->size());
    const QRect design(stage_.client->mapToGlobal(QPoint()), stage_.client->size());
    glideTarget_ =
        FigurePlacement::inRoom(figure_->size(), area, board.left() > design.right()).topLeft();
    figure_->move(glideTarget_);
    if (figure_->isGliding())
        figure_->glideTo(glideTarget_);
    if (balloon_->isVisible())
        balloon_->follow(figure_->geometry());
}

bool AgentCharacter::isVisible() const
{
    return figure_ && figure_->isVisible();
}

QString AgentCharacter::currentAnimation() const
{
    return figure_ ? figure_->clipName() : QString();
}

QString AgentCharacter::balloonText() const
{
    return balloon_ && balloon_->isVisible() ? balloon_->text() : QString();
}

std::optional<std::pair<int, int>> AgentCharacter::balloonMark() const
{
    if (!balloon_ || !balloon_->isVisible() || balloon_->markedStart() < 0)
        return std::nullopt;
    return std::pair(balloon_->markedStart(), balloon_->markedStart() + balloon_->markedLength());
}

QRect AgentCharacter::windowGeometry() const
{
    return figure_ ? figure_->geometry() : QRect();
}

QRect AgentCharacter::balloonGeometry() const
{
    return balloon_ && balloon_->isVisible() ? balloon_->geometry() : QRect();
}

QImage AgentCharacter::currentFrame() const
{
    return figure_ ? figure_->frame() : QImage();
}

MouthShape AgentCharacter::mouth() const
{
    return figure_ ? figure_->mouth() : MouthShape::Closed;
}

void AgentCharacter::enqueue(Request request)
{
    if (isInert())
        return;
    queue_.push_back(std::move(request));
    scheduleNext();
}

// Requests start from the event loop, never inside the caller's handler, so that everything a
// handler asks for is queued (and a height set) before the first of it is performed.
void AgentCharacter::scheduleNext()
{
    if (scheduled_ || current_ || queue_.empty())
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        this, onStage_ ? &AgentCharacter::startNext : &AgentCharacter::waitForHostOnScreen,
        Qt::QueuedConnection);
}

// The first request waits until the program's own windows have been drawn: the character's art
// and voice are made ready after them, not on their way to the screen.
void AgentCharacter::waitForHostOnScreen()
{
    bool waiting = false;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && !window->isExposed()) {
            window->installEventFilter(this);
            waiting = true;
        }
    }
    if (waiting)
        hostWait_.start();
    else
        comeOnStage();
}

bool AgentCharacter::eventFilter(QObject* watched, QEvent* event)
{
    if (stage_.board && watched == stage_.board) {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            takeStage();
        else if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) &&
                 standsOnBoard_)
            standOnBoard();
        return false;
    }
    if (stage_.client && watched == stage_.client && watched != stage_.client->window()) {
        if (event->type() == QEvent::Resize)
            followScale();
        else if (event->type() == QEvent::Move)
            followHost();
        return false;
    }
    if (stage_.client && watched == stage_.client->window()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            followHost();
            break;
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            updateHostAway();
            break;
        default:
            break;
        }
        return false;
    }
    // Queued, so the window's first frame, drawn while its exposure is handled, comes first.
    if (event->type() == QEvent::Expose && !onStage_ && static_cast<QWindow*>(watched)->isExposed())
        QMetaObject::invokeMethod(this, &AgentCharacter::comeOnStage, Qt::QueuedConnection);
    return false;
}

void AgentCharacter::comeOnStage()
{
    if (onStage_)
        return;
    onStage_ = true;
    hostWait_.stop();
    for (QWindow* window : QGuiApplication::topLevelWindows())
        window->removeEventFilter(this);
    // After the game's first frame: the native windows are made here.
    if (companion_ && !standsOnBoard_) {
        companion_->attach(figure_.get());
        companion_->attach(balloon_.get());
    }
    voice_ = makeVoice_();
    connect(voice_.get(), &Voice::finished, this, &AgentCharacter::endSpeech);
    connect(voice_.get(), &Voice::wordHeard, balloon_.get(), &BalloonWindow::markWord);
    connect(voice_.get(), &Voice::mouthShaped, figure_.get(), &CharacterWindow::setMouth);
    connect(voice_.get(), &Voice::unavailable, this,
            [this](Voice::Trouble trouble) { reportVoiceTrouble(troubleMessage(trouble, name_)); });
    voice_->prepare();
    startNext();
}

void AgentCharacter::startNext()
{
    scheduled_ = false;
    if (current_ || queue_.empty())
        return;
    current_ = std::make_unique<Request>(std::move(queue_.front()));
    queue_.pop_front();
    emit requestStarted(current_->kind, current_->argument);
    perform(*current_);
}

void AgentCharacter::perform(const Request& request)
{
    switch (request.kind) {
    case RequestKind::Show:
        if (hostAway_) {
            figureAway_ = true; // shown when the game comes back
            finishCurrent();
        } else if (figure_->isVisible()) {
            finishCurrent();
        } else {
            figure_->appear();
        }
        break;
    case RequestKind::Move:
        asked_ = request.point;
        glideTarget_ = placeFor(request.point);
        figure_->glideTo(glideTarget_);
        break;
    case RequestKind::Play:
        if (!figure_->play(request.argument)) {
            qWarning().noquote() << QStringLiteral(
                                        "Assistente: animazione sconosciuta «%1», saltata")
                                        .arg(request.argument);
            finishCurrent();
        }
        break;
    case RequestKind::Speak:
        beginSpeech(request.argument);
        break;
    }
}

void AgentCharacter::finishCurrent()
{
    if (!current_)
        return;
    const std::unique_ptr<Request> done = std::move(current_);
    emit requestFinished(done->kind, done->argument);
    if (queue_.empty())
        emit idle();
    else
        scheduleNext();
}

void AgentCharacter::beginSpeech(const QString& text)
{
    balloonLinger_.stop();
    if (figure_->isVisible())
        balloon_->showText(text, figure_->geometry());
    speaking_ = true;
    figure_->setSpeaking(true);
    emit speechStarted(text);
    voice_->say(text);
}

void AgentCharacter::endSpeech()
{
    if (!speaking_ || !current_)
        return;
    speaking_ = false;
    figure_->setSpeaking(false);
    const QString text = current_->argument;
    if (balloon_->isVisible())
        balloonLinger_.start(lingerMs(text, pace_));
    emit speechFinished(text);
    finishCurrent();
}

void AgentCharacter::reportVoiceTrouble(const QString& message)
{
    if (voiceTroubleReported_)
        return;
    voiceTroubleReported_ = true;
    emit voiceUnavailable(message);
}

void AgentCharacter::hideBalloon()
{
    balloon_->hide();
    emit balloonHidden();
}

QPoint AgentCharacter::clientOrigin() const
{
    return stage_.client ? stage_.client->mapToGlobal(QPoint(0, 0)) : QPoint();
}

// MoveTo places are screen pixels for the game window at its designed place. Beside the window
// the figure stands level with the place asked for, next to the frame; on the board, at its foot.
QPoint AgentCharacter::placeFor(QPoint asked) const
{
    if (!stage_.client)
        return asked;
    if (standsOnBoard_)
        return glideTarget_;
    const QWidget* window = stage_.client->window();
    const QScreen* screen = window->screen();
    const QRect area = screen ? screen->availableGeometry() : window->frameGeometry();
    const QRect frame = window->frameGeometry();
    const QPoint offset = (QPointF(asked - stage_.designedAt) * scale_).toPoint();
    const QRect wanted(clientOrigin() + offset, figure_->size());
    const int height =
        stage_.figureHeight > 0 ? stage_.figureHeight : int(std::lround(wanted.height() / scale_));
    const auto room = [&](Qt::Orientation orientation) {
        return AgentStage::scaled(QRect(QPoint(), AgentStage::room(height, orientation)), scale_)
            .size();
    };
    const int gap = AgentStage::gapBeside(scale_);
    if (const auto place = FigurePlacement::beside(wanted, frame, area, gap, room(Qt::Vertical),
                                                   room(Qt::Horizontal)))
        return place->topLeft();
    // No room anywhere, and no board: next to the frame's right, on the screen.
    return QPoint(std::min(frame.right() + 1 + gap, area.right() + 1 - wanted.width()),
                  std::clamp(wanted.top(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - wanted.height())));
}

// Beside the game the figure keeps to its frame as the window moves or changes size, mid-glide
// too; the balloon follows the figure.
void AgentCharacter::followHost()
{
    if (!figure_ || standsOnBoard_ || !asked_)
        return;
    const QPoint place = placeFor(*asked_);
    if (place == glideTarget_)
        return;
    glideTarget_ = place;
    if (figure_->isGliding())
        figure_->glideTo(glideTarget_);
    else
        figure_->move(glideTarget_);
}

void AgentCharacter::followScale()
{
    const qreal scale = stage_.scale();
    if (!figure_ || qFuzzyCompare(scale, scale_))
        return;
    scale_ = scale;
    if (askedHeight_ > 0)
        figure_->setFigureHeight(int(std::lround(askedHeight_ * scale_)));
    balloon_->setScale(scale_);
    if (standsOnBoard_)
        standOnBoard();
    else
        followHost();
    if (balloon_->isVisible())
        balloon_->follow(figure_->geometry());
}

// Merlin leaves with the game window (minimised or hidden) and comes back with it; his requests
// go on meanwhile, unseen.
void AgentCharacter::updateHostAway()
{
    const QWidget* window = stage_.client->window();
    const bool away = !window->isVisible() || window->isMinimized();
    if (away == hostAway_)
        return;
    hostAway_ = away;
    if (away) {
        figureAway_ = figure_->isVisible();
        balloonAway_ = balloon_->isVisible();
        balloon_->hide();
        figure_->hide();
        return;
    }
    if (figureAway_)
        figure_->show();
    if (balloonAway_ && (speaking_ || balloonLinger_.isActive()))
        balloon_->show();
    figureAway_ = balloonAway_ = false;
}
