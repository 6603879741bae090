#pragma once

#include "boardlayout.h"
#include "randomsource.h"
#include "score.h"
#include "tavolaui.h"

#include <QFont>
#include <QMainWindow>
#include <QMessageBox>

#include <memory>

class Agent;
class Announcer;
struct AgentStage;
class Character;
struct BinaryDigits;
struct Verdict;

// The game's one window. Its elements hold the current exercise; `esatte` and `errate` the score;
// `Agent1` the assistant, whose character lives as long as the window.
class Tavola : public QMainWindow {
    Q_OBJECT

public:
    // Where the window's client area stands on the screen in the design.
    static constexpr QPoint designedPlace{18, 39};

    // Without a random source the numbers come from a generator seeded from the clock; without
    // an agent the window makes our own assistant control.
    explicit Tavola(std::unique_ptr<RandomSource> random = nullptr);
    Tavola(std::unique_ptr<RandomSource> random, std::unique_ptr<Agent> agent);
    ~Tavola() override;

    const Score& score() const { return score_; }
    // Opens at the designed size where that fits in `workArea` (the screen without its panels),
    // else at the largest scale that fits, frame and all.
    void openWithin(const QRect& workArea);
    // Opens as `previous` stands: at its place and size, full screen or maximised as it is, with
    // the keypad if it shows one.
    void openAs(const Tavola& previous);
    // Whether the keypad for touch screens is wanted: once the game has been touched, or while
    // it is full screen on a machine with a touch screen.
    bool wantsKeypad() const;

    // Continues a game from the given score, as if it had been reached by answering.
    void setScore(const Score& score) { score_ = score; }
    // The learner has already been told, by an earlier window, that the assistant cannot be
    // heard: this window does not tell again.
    void setVoiceNoticeGiven() { voiceNoticeGiven_ = true; }

signals:
    // A handler stopped at a failing step; the learner is told with this message.
    void errorReported(const QString& message);
    // The assistant cannot be heard; the learner is told with this message.
    void voiceNoticeShown(const QString& message);
    // Yes in the restart question: this window is to make way for a fresh one.
    void restartChosen();
    // The farewell box has closed: the program is to end.
    void farewellClosed();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Event handlers.
    void load();
    void activate();
    void cmdNextClick();
    void text3KeyPress(int keyAscii);
    void text3LostFocus();
    void nextClick();
    void cmdExitClick();

    // The dealing of a new exercise and its steps.
    void dealExercise();
    void verifica();
    void showAllBeads();
    void hideZeroBeads(const BinaryDigits& digits);
    void milestoneCheer();
    void paintScoreBackground();

    // The window at any size: the design scaled and centred, the keypad beside it.
    void layoutBoard();
    void growChrome();
    QFont grown(QFont font) const;
    void growIcon(QMessageBox* box) const;
    BoardLayout boardLayout(QSize client);
    static void addStage(BoardLayout::Pieces& pieces);
    QSize keypadSize(QSize client);
    void toggleFullScreen();
    void typeFromKeypad(int key, const QString& text);

    void showVerdict(const Verdict& verdict);
    void showScore();
    void announceVerdict();
    void announceScore();
    void enableAndFocusNext();

    Character& merlin();
    void say(Character& character, const QString& text);
    AgentStage stage() const;
    void restartAnswered(QMessageBox::StandardButton answer);
    QMessageBox* openBox(QMessageBox::Icon icon, const QString& title, const QString& prompt,
                         QMessageBox::StandardButtons buttons);

    // Runs a handler; a failing step ends it, keeps what it did, and is reported to the learner.
    template <typename Handler> void guarded(Handler&& handler);
    void reportError(const QString& message);
    void tellVoiceUnavailable(const QString& message);

    TavolaUi ui;
    Announcer* announcer_ = nullptr;
    QString scoreAnnounced_;
    Score score_;
    std::unique_ptr<RandomSource> random_;
    std::unique_ptr<Agent> Agent1;
    bool activated_ = false;
    bool touched_ = false;
    qreal cursorScale_ = 1.0;
    qreal chromeScale_ = 1.0;
    QFont designedMenuFont_;
    int designedMenuHeight_ = 0;
    bool voiceNoticeGiven_ = false;
};
