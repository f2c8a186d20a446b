#pragma once
// Drawing helpers for the generated pictures: a float RGB image, coverage
// masks filled from signed distances (so every edge is anti-aliased),
// deterministic noise, and the 24-bit BMP writer the game's reader expects.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Color scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }

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

// A mask made a row at a time, for a picture made a row at a time: the same
// coverage the fillers above give, for each shape over the same box of
// pixels, without a whole picture's mask in memory. Shapes are added first,
// then rows are made in increasing y from any first row.
struct RowShape {
    enum Kind { Segment, Ellipse } kind = Segment;
    Vec2 a, b;              // the segment's ends, or the ellipse's centre in a
    float radius = 0;       // half the stroke's thickness
    float rx = 0, ry = 0;   // the ellipse's radii
    int top = 0, bottom = 0, left = 0, right = 0;  // its pixels, inclusive
};

struct RowMask {
    int width = 0, height = 0;
    std::vector<RowShape> shapes;  // by top row once the rows begin
    bool started = false;          // the shapes sorted, rows being made
    size_t begun = 0;              // shapes whose top has been reached
    std::vector<size_t> active;    // of those, the ones not yet past their bottom
    std::vector<float> cover;      // the row last made, valid from left to right
    int left = 0, right = -1;      // the columns the row's shapes may cover
    int firstColumn = 0, lastColumn = 0;  // the columns made, by default all

    RowMask(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w), 0.0f), lastColumn(w - 1) {}
};

void strokeSegment(RowMask& mask, Vec2 a, Vec2 b, float thickness);
void strokePolyline(RowMask& mask, const std::vector<Vec2>& points, float thickness);
void fillEllipse(RowMask& mask, Vec2 centre, float rx, float ry);
// Makes row y; read cover[left .. right], zero where no shape covers.
void makeRow(RowMask& mask, int y);

// Paints `color` over the image wherever the mask covers it, scaled by `alpha`.
void paint(Image& image, const Mask& mask, Color color, float alpha = 1.0f);

// Value noise in [0, 1] on a lattice of unit cells; `period` > 0 makes it
// repeat every `period` cells in x. fbm sums octaves with halving weights.
float valueNoise(float x, float y, uint32_t seed, int period = 0);
float fbm(float x, float y, int octaves, uint32_t seed, int period = 0);

// fbm(x / scale, y / scale, octaves, seed) for every pixel x = 0 .. width - 1
// of a row, the same floats fbm gives one by one, made a row at a time: the
// pictures go down their rows in order, and along a row each octave's cell
// corners and the fractions within the cells repeat from row to row (a cell
// of the ground's broad octaves spans hundreds of pixels). Set up once with
// fbmRows, then fbmRow(rows, y) for each row, best in increasing y; or,
// where only some pixels of a row need the noise, prepareFbmRow(rows, y) and
// fbmAt(rows, x) for each of them.
struct NoiseOctave {
    uint32_t seed = 0;
    float weight = 0;             // in the sum of the octaves
    float rowFraction = 0;        // the eased fraction across the cells of the row prepared
    int firstCell = 0;            // the lattice column of pixel 0
    std::vector<int> cell;        // each pixel's lattice column, from firstCell
    std::vector<float> fraction;  // and its eased fraction across the cell
    int cellRow = 0;              // the lattice row the two rows below hold
    bool haveRow = false;
    // The noise along the cells' top and bottom edges at every pixel, and
    // the lattice values along both; the top edge and the rise from there
    // to the bottom, each times the weight. The weight is a power of two:
    // weight * (top + rise * t) is weightedTop + weightedRise * t, exactly.
    std::vector<float> top, bottom;
    std::vector<float> cornersTop, cornersBottom;
    std::vector<float> weightedTop, weightedRise;
};

struct FbmRows {
    float scale = 1;
    std::vector<NoiseOctave> octaves;
    float total = 0;            // the octaves' weights summed, as fbm sums them
    std::vector<float> values;  // the row last made
};

FbmRows fbmRows(int width, float scale, int octaves, uint32_t seed);
const std::vector<float>& fbmRow(FbmRows& rows, int y);
void prepareFbmRow(FbmRows& rows, int y);
inline float fbmAt(const FbmRows& rows, int x) {
    float sum = 0;
    for (const NoiseOctave& octave : rows.octaves)
        sum += octave.weightedTop[static_cast<size_t>(x)] + octave.weightedRise[static_cast<size_t>(x)] * octave.rowFraction;
    return sum / rows.total;
}
// A repeatable uniform number in [0, 1) for integer coordinates.
float hash01(int x, int y, uint32_t seed);

// Sine, cosine and hypotenuse taken in double precision and rounded once:
// the C libraries' single-precision ones round differently now and then
// (glibc's sinf and hypotf against the browser build's), and the pictures
// must be the same bytes wherever they are made.
float sine(float angle);
float cosine(float angle);
// The squares are exact in double, and the sum and the square root are
// rounded as IEEE arithmetic rounds them on every machine.
inline float hypotenuse(float x, float y) {
    const double dx = x, dy = y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

inline float clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

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
// lround(v * 255) for v clamped to [0, 1], without a conversion to integer
// (checked, so dear, in WebAssembly): adding 2^23 rounds to a whole number
// in the low bits, halves to even; a half rounded down is put right, as
// lround takes halves away from zero. Every step is exact.
inline unsigned char toByte(float v) {
    const float x = clamp01(v) * 255.0f;
    const float shifted = x + 8388608.0f;
    uint32_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    const float rounded = shifted - 8388608.0f;
    return static_cast<unsigned char>((bits & 0xFFu) + (x - rounded == 0.5f ? 1u : 0u));
}

// The bytes of a 24-bit BMP file: bottom-up rows, 40-byte info header, pixel
// block at offset 54. The width must be a multiple of 4 (no row padding).
std::vector<unsigned char> bmpBytes(const Image& image);
// The header alone, the 54 bytes before the pixels.
std::vector<unsigned char> bmpHeader(int width, int height);
// Writes the bytes as the file, in one write. Returns false on an error.
bool writeBytes(const std::vector<unsigned char>& bytes, const std::string& path);
