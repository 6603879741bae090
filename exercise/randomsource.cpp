#include "randomsource.h"

#include <chrono>
#include <cmath>

void ClockRandom::reseed()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(now));
}

double ClockRandom::next()
{
    // The top 53 bits as a fraction: always below 1, which a floating distribution may not be.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

int drawExerciseNumber(RandomSource& source)
{
    source.reseed();
    const double r = source.next();
    return static_cast<int>(std::floor(31 * r)) + 1;
}
