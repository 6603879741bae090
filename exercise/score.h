#pragma once

class QString;

// The counts of correct (esatte) and wrong (errate) answers. Each holds 0 to 32767, as the game
// always has; raising one past that is refused with OverflowError and the count keeps 32767.
class Score {
public:
    static constexpr int maximum = 32767;

    Score() = default;
    Score(int esatte, int errate);

    int esatte() const { return esatte_; }
    int errate() const { return errate_; }
    // Exact, also past 32767: the total is only shown, never stored.
    int total() const { return esatte_ + errate_; }

    void raiseEsatte();
    void raiseErrate();
    void reset();

    friend bool operator==(const Score&, const Score&) = default;

private:
    int esatte_ = 0;
    int errate_ = 0;
};

// A count written as plain decimal digits.
QString countText(int count);
