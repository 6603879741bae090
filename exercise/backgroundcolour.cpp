#include "backgroundcolour.h"

#include "score.h"

Rgb backgroundColour(const Score& score)
{
    // Counts stay at or below 32767, so these fit an int with room to spare.
    return Rgb::limited(score.errate() + 20, score.esatte() + 125, score.errate() * 50 + 25);
}
