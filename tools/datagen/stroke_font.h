#pragma once
// The game's own lettering: glyphs made of round-ended strokes, drawn at any
// size into a mask. Covers the digits and the letters the pictures use.

#include <string>
#include <vector>

#include "raster.h"

// Glyph space: x to the right from the glyph's left edge, y up from the
// baseline; capitals and digits are 1 high, small letters 0.62.
struct Glyph {
    float advance = 0;
    std::vector<std::vector<Vec2>> strokes;
};

// The glyph for `c`, or an empty one (advance only) for a character without one.
Glyph glyphFor(char c);

// Width of `text` in glyph units, including the spacing between glyphs.
float textWidth(const std::string& text);

// Draws `text` with its baseline at `baselineY` and its left edge at `left`
// (pixels, y down); `size` is pixels per glyph unit, `thickness` in pixels.
// `widthScale` widens the glyphs for pictures shown stretched upright.
void drawText(Mask& mask, const std::string& text, float left, float baselineY, float size, float thickness,
              float widthScale = 1);
