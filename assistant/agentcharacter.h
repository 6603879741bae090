#pragma once

#include "agentoptions.h"
#include "agentstage.h"
#include "character.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class BalloonWindow;
class Companion;
class QEvent;
class CharacterDescription;
class CharacterWindow;
class Voice;
enum class MouthShape;

// A loaded assistant character. Every request returns at once; the character performs them one
// after another in the order given, each after the one before has finished. An inert character
// (the stand-in for one that failed to load) accepts every request and does nothing.
class AgentCharacter : public Character {
    Q_OBJECT

public:
    enum class RequestKind { Show, Move, Play, Speak };
    Q_ENUM(RequestKind)

    AgentCharacter(const QString& name, std::shared_ptr<const CharacterDescription> description,
                   const AgentOptions& options, QObject* parent = nullptr);
    // The inert stand-in.
    explicit AgentCharacter(const QString& name, QObject* parent = nullptr);
    ~AgentCharacter() override;

    void Show() override;
    void MoveTo(int x, int y) override;
    void Play(const QString& animation) override;
    void setHeight(int pixels) override;
    void Speak(const QString& text) override;

    QString name() const { return name_; }
    bool isInert() const { return !figure_; }
    bool isVisible() const;
    bool isSpeaking() const { return speaking_; }
    bool isBusy() const { return current_ != nullptr; }
    // Requests waiting behind the one being performed.
    int queueLength() const { return int(queue_.size()); }
    // The animation being played ("appearance" while it comes into view), empty when none.
    QString currentAnimation() const;
    // The text in the speech balloon, empty while no balloon shows.
    QString balloonText() const;
    // Where the word being heard is marked in the balloon's text: from, to; none while none is.
    std::optional<std::pair<int, int>> balloonMark() const;
    // On the screen; in the client area's coordinates on a stage drawn inside it.
    QRect windowGeometry() const;
    QRect balloonGeometry() const;
    QImage currentFrame() const;
    // The shape his mouth is taking for the sound heard (closed while he does not speak).
    MouthShape mouth() const;

signals:
    void requestStarted(AgentCharacter::RequestKind kind, const QString& argument);
    void requestFinished(AgentCharacter::RequestKind kind, const QString& argument);
    void balloonHidden();
    // Every request has been performed.
    void idle();

private:
    struct Request {
        RequestKind kind;
        QString argument;
        QPoint point;
    };

    void enqueue(Request request);
    void scheduleNext();
    void startNext();
    void perform(const Request& request);
    void finishCurrent();
    void beginSpeech(const QString& text);
    void endSpeech();
    void hideBalloon();
    void waitForHostOnScreen();
    void comeOnStage();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Whether the figure stands on the board, inside the game window, rather than beside it.
    bool onBoard() const;
    // Takes the stage the game gives: the board, or windows of their own beside the game.
    void takeStage();
    void standOnBoard();
    // The figure's place for a MoveTo: on the screen beside the game, or on the board.
    QPoint placeFor(QPoint asked) const;
    QPoint clientOrigin() const;
    void followHost();
    // The game drawn at another scale: the figure and its words take it, and its place.
    void followScale();
    void updateHostAway();
    void reportVoiceTrouble(const QString& message);

    QString name_;
    double pace_ = 1.0;
    std::deque<Request> queue_;
    std::unique_ptr<Request> current_;
    bool speaking_ = false;
    bool scheduled_ = false;
    bool voiceTroubleReported_ = false;
    bool onStage_ = false;
    AgentStage stage_;
    QPoint glideTarget_;
    std::optional<QPoint> asked_; // the last place asked for by MoveTo
    int askedHeight_ = 0;         // the height asked for, at the designed scale; 0 for none
    qreal scale_ = 1.0;
    bool hostAway_ = false;   // minimised or hidden
    bool figureAway_ = false; // hidden with it, to come back with it
    bool balloonAway_ = false;
    QTimer balloonLinger_;
    QTimer hostWait_;
    bool standsOnBoard_ = false;
    Qt::WindowFlags figureFlags_; // as windows of their own
    Qt::WindowFlags balloonFlags_;
    std::unique_ptr<CharacterWindow> figure_;
    std::unique_ptr<BalloonWindow> balloon_;
    std::unique_ptr<Companion> companion_;
    std::function<std::unique_ptr<Voice>()> makeVoice_;
    std::unique_ptr<Voice> voice_; // made when the character first comes on stage
};
