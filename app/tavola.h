#pragma once

#include "randomsource.h"
#include "score.h"
#include "tavolaui.h"

#include <QMainWindow>

#include <memory>

struct BinaryDigits;
struct Verdict;

// The game's one window. Its elements hold the current exercise; `esatte` and `errate` the score.
class Tavola : public QMainWindow {
    Q_OBJECT

public:
    // Without a random source the numbers come from a generator seeded from the clock.
    explicit Tavola(std::unique_ptr<RandomSource> random = nullptr, QWidget* parent = nullptr);
    ~Tavola() override;

    const Score& score() const { return score_; }
    // Continues a game from the given score, as if it had been reached by answering.
    void setScore(const Score& score) { score_ = score; }

signals:
    // A handler stopped at a failing step; the learner is told with this message.
    void errorReported(const QString& message);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Event handlers.
    void activate();
    void cmdNextClick();
    void text3KeyPress(int keyAscii);

    // The dealing of a new exercise and its steps.
    void dealExercise();
    void verifica();
    void showAllBeads();
    void hideZeroBeads(const BinaryDigits& digits);
    void milestoneCheer();
    void paintScoreBackground();

    void showVerdict(const Verdict& verdict);
    void showScore();
    void enableAndFocusNext();

    // Runs a handler; a failing step ends it, keeps what it did, and is reported to the learner.
    template <typename Handler> void guarded(Handler&& handler);
    void reportError(const QString& message);

    TavolaUi ui;
    Score score_;
    std::unique_ptr<RandomSource> random_;
    bool activated_ = false;
};
