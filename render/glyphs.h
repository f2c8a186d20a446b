#pragma once
// The game's own lettering: glyphs made of round-ended strokes, the same
// shapes for the pictures the data generator draws and for the lines the
// game draws over its picture. No OpenGL here, so both can use it.

#include <string>
#include <vector>

// Glyph space: x to the right from the glyph's left edge, y up from the
// baseline; capitals and digits are 1 high, small letters 0.62, a mark above
// a capital reaches 1.3 and a descender -0.36.
struct GlyphPoint {
    float x = 0, y = 0;
};

struct Glyph {
    float advance = 0;
    std::vector<std::vector<GlyphPoint>> strokes;  // each a polyline, its ends round
};

// Between one glyph's advance and the next glyph.
constexpr float kGlyphSpacing = 0.18f;
constexpr float kGlyphTop = 1.3f;
constexpr float kGlyphBottom = -0.36f;

// Whether the font draws `c` (a space counts).
bool hasGlyph(char32_t c);

// The glyph for `c`; a character the font lacks is a space, so a text never
// loses its words' spacing to one.
Glyph glyphOf(char32_t c);

// The code points of UTF-8 text; a byte that starts no valid sequence (a cut,
// overlong or surrogate one included) is U+FFFD, which the font lacks.
std::u32string decodeUtf8(const std::string& text);

// Width of `text` in glyph units, the spacing between glyphs included.
float textWidth(const std::u32string& text);
