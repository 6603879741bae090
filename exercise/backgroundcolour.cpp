#include "backgroundcolour.h"

#include "score.h"

Rgb backgroundColour(const Score& score)
{
    // Counts stay at or below 32767, so these fit an int with room to spare.
    return Rgb::limited(score.wrong() + 20, score.correct() + 125, score.wrong() * 50 + 25);
}
