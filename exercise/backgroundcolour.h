#pragma once

#include "rgb.h"

class Score;

// The window's background follows the score: greener with each correct answer, redder and bluer
// with each wrong one. Computed without overflow for every score.
Rgb backgroundColour(const Score& score);

// The bands painted over the window at each new exercise: 256 of them, top to bottom, each a
// 2/512 share of the height.
struct Bands {
    static constexpr int count = 256;
    static Rgb colour(int band) { return {180, 0, band}; }
    // Rows [top, bottom) of `band` in a surface `height` rows high.
    static int top(int band, int height) { return 2 * band * height / 512; }
    static int bottom(int band, int height) { return top(band + 1, height); }
};
