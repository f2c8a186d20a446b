#pragma once
// A line of the game's lettering (render/glyphs.h) over the picture as it
// stands, on a dark band that lets it read on clouds and on the ground alike.
//
// Places and sizes are in the view's own measure, whatever its pixels: the
// view is 1 high and its aspect wide, (0, 0) its centre, y up.

#include <string>

// A capital's height for the game's lines over the picture.
constexpr float kLetteringHeight = 0.05f;

// The width of UTF-8 `text` whose capitals are `height` high.
float letteringWidth(const std::string& text, float height);

// Draws UTF-8 `text` centred at (x, y) (the middle of its capitals), with
// its band, both at `opacity` (0 draws nothing). A character the font lacks
// is a space. Leaves OpenGL's state as it found it, texturing on as render/
// keeps it, but for the current colour, which every drawing sets for itself.
void drawLettering(const std::string& text, float x, float y, float height, float opacity);
