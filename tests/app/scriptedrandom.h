#pragma once

#include "randomsource.h"

#include <deque>

// Deals the exercise numbers a test chooses, in order; 1 once they run out.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::deque<int> numbers)
        : numbers_(std::move(numbers))
    {}

    void push(int number) { numbers_.push_back(number); }
    int draws() const { return draws_; }

    void reseed() override {}
    double next() override
    {
        ++draws_;
        const int n = numbers_.empty() ? 1 : numbers_.front();
        if (!numbers_.empty())
            numbers_.pop_front();
        return (n - 0.5) / 31; // the middle of n's share of [0, 1)
    }

private:
    std::deque<int> numbers_;
    int draws_ = 0;
};
