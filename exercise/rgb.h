#pragma once

#include <algorithm>

// A colour as red, green and blue components from 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    // Makes a colour the way the window does: each component is limited to 0..255.
    static constexpr Rgb limited(int red, int green, int blue)
    {
        return {std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255)};
    }

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};
