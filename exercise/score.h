#pragma once

class QString;

// The counts of correct and wrong answers. Each holds 0 to 32767, as the game always has; raising
// one past that is refused with OverflowError and the count keeps 32767.
class Score {
public:
    static constexpr int maximum = 32767;

    Score() = default;
    Score(int correct, int wrong);

    int correct() const { return correct_; }
    int wrong() const { return wrong_; }
    // Exact, also past 32767: the total is only shown, never stored.
    int total() const { return correct_ + wrong_; }

    void raiseCorrect();
    void raiseWrong();
    void reset();

    friend bool operator==(const Score&, const Score&) = default;

private:
    int correct_ = 0;
    int wrong_ = 0;
};

// A count written as plain decimal digits.
QString countText(int count);
