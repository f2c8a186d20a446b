#pragma once
// Drawing helpers for the generated pictures: a float RGB image, coverage
// masks filled from signed distances (so every edge is anti-aliased),
// deterministic noise, and the 24-bit BMP writer the game's reader expects.

#include <cstdint>
#include <string>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0;
};

Color mix(Color a, Color b, float t);
Color scale(Color c, float k);

struct Vec2 {
    float x = 0, y = 0;
};

// Pixel (x, y) with y = 0 the top row as the picture is seen.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels;

    Image(int w, int h, Color fill);
    Color& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Color& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Coverage in [0, 1] per pixel; shapes combine by taking the larger coverage,
// so overlapping strokes of one glyph do not darken where they cross.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> cover;

    Mask(int w, int h);
    float& at(int x, int y) { return cover[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return cover[static_cast<size_t>(y) * width + x]; }
};

// Signed distances (negative inside) of the shapes the pictures are made of.
float distanceToSegment(Vec2 p, Vec2 a, Vec2 b);
float distanceToEllipse(Vec2 p, Vec2 centre, float rx, float ry);  // approximate, good near the edge
float distanceToRoundBox(Vec2 p, Vec2 centre, float halfW, float halfH, float radius);
float distanceToStar(Vec2 p, Vec2 centre, float radius, float innerRatio);

// Mask fillers. `wrapX` repeats the shape across the left and right edges,
// for pictures wrapped around a bottle.
void strokeSegment(Mask& mask, Vec2 a, Vec2 b, float thickness, bool wrapX = false);
void strokePolyline(Mask& mask, const std::vector<Vec2>& points, float thickness, bool wrapX = false);
void fillEllipse(Mask& mask, Vec2 centre, float rx, float ry);
void fillRoundBox(Mask& mask, Vec2 centre, float halfW, float halfH, float radius);
void fillStar(Mask& mask, Vec2 centre, float radius, float innerRatio, bool wrapX = false);

// Paints `color` over the image wherever the mask covers it, scaled by `alpha`.
void paint(Image& image, const Mask& mask, Color color, float alpha = 1.0f);

// Value noise in [0, 1] on a lattice of unit cells; `period` > 0 makes it
// repeat every `period` cells in x. fbm sums octaves with halving weights.
float valueNoise(float x, float y, uint32_t seed, int period = 0);
float fbm(float x, float y, int octaves, uint32_t seed, int period = 0);
// A repeatable uniform number in [0, 1) for integer coordinates.
float hash01(int x, int y, uint32_t seed);

// Sine, cosine and hypotenuse taken in double precision and rounded once:
// the C libraries' single-precision ones round differently now and then
// (glibc's sinf and hypotf against the browser build's), and the pictures
// must be the same bytes wherever they are made.
float sine(float angle);
float cosine(float angle);
float hypotenuse(float x, float y);

float smoothstep(float edge0, float edge1, float x);
float clamp01(float x);

// A tiny deterministic generator for placing things (not std::rand, whose
// sequence differs between platforms).
struct Dice {
    uint32_t state;
    explicit Dice(uint32_t seed) : state(seed) {}
    float next();  // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * next(); }
    int below(int n) { return static_cast<int>(next() * static_cast<float>(n)) % n; }
};

// Little-endian fields of the BMP and ICO headers, and a colour channel as a byte.
void putU16(std::vector<unsigned char>& out, uint32_t v);
void putU32(std::vector<unsigned char>& out, uint32_t v);
unsigned char toByte(float v);

// 24-bit BMP, bottom-up rows, 40-byte info header, pixel block at offset 54.
// The width must be a multiple of 4 (no row padding). Returns false on a
// write error.
bool writeBmp(const Image& image, const std::string& path);
