#pragma once

#include <cmath>

// Window and cell lengths are kept in twips where the design computes in
// them; these two convert at the widget boundary.
constexpr int TwipsPerPixel = 15;

constexpr double TwipsToPixels(double twips)
{
    return twips / TwipsPerPixel;
}

constexpr double PixelsToTwips(double pixels)
{
    return pixels * TwipsPerPixel;
}

// A length in twips as whole pixels, for placing a widget.
inline int TwipsToWholePixels(double twips)
{
    return int(std::lround(TwipsToPixels(twips)));
}
