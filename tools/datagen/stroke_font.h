#pragma once
// The game's lettering (render/glyphs.h) drawn at any size into a mask.

#include <string>

#include "raster.h"

// Width of UTF-8 `text` in glyph units, including the spacing between glyphs.
float textWidth(const std::string& text);

// Draws UTF-8 `text` with its baseline at `baselineY` and its left edge at
// `left` (pixels, y down); `size` is pixels per glyph unit, `thickness` in
// pixels. `widthScale` widens the glyphs for pictures shown stretched upright.
void drawText(Mask& mask, const std::string& text, float left, float baselineY, float size, float thickness,
              float widthScale = 1);
