// Fonts stepped down until a control's text fits it.
#pragma once

#include <functional>

struct HFONT__;  // the real font handle type, as Windows names it

// A new font like the given one, made narrower first (the glyphs keep their height, which reads
// better than a smaller size) and then smaller by half a point at a time, until the text fits.
// Below a legible size it stops, fitting or not. The caller deletes the font.
HFONT__* FitFont(HFONT__* font, const std::function<bool(HFONT__*)>& fits);
