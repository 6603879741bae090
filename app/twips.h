#pragma once

#include <QRect>

// Places and sizes are designed in twips: 15 to a device-independent pixel.
constexpr int twipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / twipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
