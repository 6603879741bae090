#pragma once

#include <cstdint>
#include <random>

// Where the numbers of the exercises come from. The game re-seeds it from the clock before every
// exercise; tests put in one that deals the numbers they choose.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // A number r with 0 <= r < 1.
    virtual double next() = 0;
};

class ClockRandom final : public RandomSource {
public:
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 engine_;
};

// Re-seeds `source` and draws a whole number from 1 to 31, each equally likely.
int drawExerciseNumber(RandomSource& source);
