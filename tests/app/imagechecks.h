#pragma once

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <limits>

// The largest difference of one colour channel between two colours.
inline int colourDistance(const QColor& a, const QColor& b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// Opaque pixels of `picture` that `shot` shows otherwise, by more than `tolerance`, where it
// matches `picture` best.
inline int mismatchesAtBestPlace(const QImage& shot, const QImage& picture, int tolerance)
{
    int best = std::numeric_limits<int>::max();
    for (int top = 0; top + picture.height() <= shot.height(); ++top)
        for (int left = 0; left + picture.width() <= shot.width(); ++left) {
            int differing = 0;
            for (int y = 0; y < picture.height() && differing < best; ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const QColor ink = picture.pixelColor(x, y);
                    differing +=
                        ink.alpha() == 255 &&
                        colourDistance(ink, shot.pixelColor(left + x, top + y)) > tolerance;
                }
            best = std::min(best, differing);
        }
    return best;
}
