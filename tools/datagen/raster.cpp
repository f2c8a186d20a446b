#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }

Image::Image(int w, int h, Color fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Mask::Mask(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w) * h, 0.0f) {}

float clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float distanceToSegment(Vec2 p, Vec2 a, Vec2 b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float px = p.x - a.x, py = p.y - a.y;
    float lengthSq = dx * dx + dy * dy;
    float h = lengthSq > 0 ? clamp01((px * dx + py * dy) / lengthSq) : 0;
    return hypotenuse(px - dx * h, py - dy * h);
}

float distanceToEllipse(Vec2 p, Vec2 centre, float rx, float ry) {
    // Distance in the unit circle's space scaled back by the local radius:
    // exact for circles and close enough at the edge for the flat ellipses here.
    float ux = (p.x - centre.x) / rx, uy = (p.y - centre.y) / ry;
    float r = hypotenuse(ux, uy);
    if (r == 0) return -std::min(rx, ry);
    float localRadius = hypotenuse(ux / r * rx, uy / r * ry);
    return (r - 1) * localRadius;
}

float distanceToRoundBox(Vec2 p, Vec2 centre, float halfW, float halfH, float radius) {
    float qx = std::fabs(p.x - centre.x) - halfW + radius;
    float qy = std::fabs(p.y - centre.y) - halfH + radius;
    float outside = hypotenuse(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float distanceToStar(Vec2 p, Vec2 centre, float radius, float innerRatio) {
    // Fold the plane into one tip's wedge, then measure to that tip's edge.
    const float k1x = 0.809016994f, k1y = -0.587785252f;
    const float k2x = -k1x, k2y = k1y;
    float x = std::fabs(p.x - centre.x);
    float y = centre.y - p.y;  // pictures count y downward; the star points up
    float d = std::max(k1x * x + k1y * y, 0.0f);
    x -= 2 * d * k1x, y -= 2 * d * k1y;
    d = std::max(k2x * x + k2y * y, 0.0f);
    x -= 2 * d * k2x, y -= 2 * d * k2y;
    x = std::fabs(x);
    y -= radius;
    float bax = innerRatio * -k1y, bay = innerRatio * k1x - 1;
    float h = std::min(std::max((x * bax + y * bay) / (bax * bax + bay * bay), 0.0f), radius);
    float side = y * bax - x * bay;
    return hypotenuse(x - bax * h, y - bay * h) * (side > 0 ? 1.0f : -1.0f);
}

namespace {

// Fills the mask from `distance` inside the box [x0, x1] x [y0, y1] (pixel
// centres at +0.5), clipped to the mask; with wrapX the shape is also tried
// one picture width to the left and right.
template <typename Distance>
void fillFromDistance(Mask& mask, float x0, float y0, float x1, float y1, bool wrapX, Distance distance) {
    int top = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    int bottom = std::min(mask.height - 1, static_cast<int>(std::ceil(y1)) + 1);
    int shifts = wrapX ? 1 : 0;
    for (int shift = -shifts; shift <= shifts; ++shift) {
        float offset = static_cast<float>(shift * mask.width);
        int left = std::max(0, static_cast<int>(std::floor(x0 + offset)) - 1);
        int right = std::min(mask.width - 1, static_cast<int>(std::ceil(x1 + offset)) + 1);
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                Vec2 p{static_cast<float>(x) + 0.5f - offset, static_cast<float>(y) + 0.5f};
                float cover = clamp01(0.5f - distance(p));
                float& cell = mask.at(x, y);
                cell = std::max(cell, cover);
            }
    }
}

}  // namespace

void strokeSegment(Mask& mask, Vec2 a, Vec2 b, float thickness, bool wrapX) {
    float r = thickness / 2;
    fillFromDistance(mask, std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
                     std::max(a.y, b.y) + r, wrapX, [&](Vec2 p) { return distanceToSegment(p, a, b) - r; });
}

void strokePolyline(Mask& mask, const std::vector<Vec2>& points, float thickness, bool wrapX) {
    for (size_t i = 1; i < points.size(); ++i) strokeSegment(mask, points[i - 1], points[i], thickness, wrapX);
    if (points.size() == 1) strokeSegment(mask, points[0], points[0], thickness, wrapX);
}

void fillEllipse(Mask& mask, Vec2 centre, float rx, float ry) {
    fillFromDistance(mask, centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry, false,
                     [&](Vec2 p) { return distanceToEllipse(p, centre, rx, ry); });
}

void fillRoundBox(Mask& mask, Vec2 centre, float halfW, float halfH, float radius) {
    fillFromDistance(mask, centre.x - halfW, centre.y - halfH, centre.x + halfW, centre.y + halfH, false,
                     [&](Vec2 p) { return distanceToRoundBox(p, centre, halfW, halfH, radius); });
}

void fillStar(Mask& mask, Vec2 centre, float radius, float innerRatio, bool wrapX) {
    fillFromDistance(mask, centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius, wrapX,
                     [&](Vec2 p) { return distanceToStar(p, centre, radius, innerRatio); });
}

void paint(Image& image, const Mask& mask, Color color, float alpha) {
    for (size_t i = 0; i < image.pixels.size(); ++i)
        if (mask.cover[i] > 0) image.pixels[i] = mix(image.pixels[i], color, mask.cover[i] * alpha);
}

float sine(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float cosine(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

// The squares are exact in double, and the sum and the square root are
// rounded as IEEE arithmetic rounds them on every machine.
float hypotenuse(float x, float y) {
    const double dx = x, dy = y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float hash01(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^ static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) / 16777216.0f;
}

namespace {

// One lattice cell's four corner values.
struct NoiseCell {
    uint32_t seed = 0;
    int ix = 0, iy = 0, period = -1;
    float topLeft = 0, topRight = 0, bottomLeft = 0, bottomRight = 0;
};

// The pictures ask for the same cell many times in a row (a cell of the
// ground's broad octaves spans hundreds of pixels): the last cell of each
// seed is kept, so its corners are hashed once.
const NoiseCell& noiseCell(int ix, int iy, uint32_t seed, int period) {
    static NoiseCell cells[64];
    NoiseCell& cell = cells[seed % 64];
    if (cell.ix == ix && cell.iy == iy && cell.seed == seed && cell.period == period) return cell;
    auto corner = [&](int cx, int cy) {
        if (period > 0) cx = ((cx % period) + period) % period;
        return hash01(cx, cy, seed);
    };
    cell = {seed, ix, iy, period, corner(ix, iy), corner(ix + 1, iy), corner(ix, iy + 1), corner(ix + 1, iy + 1)};
    return cell;
}

}  // namespace

float valueNoise(float x, float y, uint32_t seed, int period) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const NoiseCell& cell = noiseCell(ix, iy, seed, period);
    float top = cell.topLeft + (cell.topRight - cell.topLeft) * tx;
    float bottom = cell.bottomLeft + (cell.bottomRight - cell.bottomLeft) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, int octaves, uint32_t seed, int period) {
    float sum = 0, weight = 0.5f, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u, period);
        total += weight;
        x *= 2, y *= 2, period *= 2, weight *= 0.5f;
    }
    return sum / total;
}

float Dice::next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f;
}

void putU16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}

void putU32(std::vector<unsigned char>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

unsigned char toByte(float v) { return static_cast<unsigned char>(std::lround(clamp01(v) * 255.0f)); }

bool writeBmp(const Image& image, const std::string& path) {
    const uint32_t pixelBytes = static_cast<uint32_t>(image.width) * image.height * 3;
    std::vector<unsigned char> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putU32(out, 54 + pixelBytes);  // bfSize
    putU32(out, 0);                // reserved
    putU32(out, 54);               // bfOffBits
    putU32(out, 40);               // biSize
    putU32(out, static_cast<uint32_t>(image.width));
    putU32(out, static_cast<uint32_t>(image.height));  // positive: bottom row first
    putU16(out, 1);                                    // planes
    putU16(out, 24);
    putU32(out, 0);  // uncompressed
    putU32(out, pixelBytes);
    putU32(out, 2835);  // 72 dpi
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const Color& c = image.at(x, y);
            out.push_back(toByte(c.b));
            out.push_back(toByte(c.g));
            out.push_back(toByte(c.r));
        }
    // In one write: the browser's memory file system grows a file written
    // piece by piece, as a C++ stream writes it, by copying it over and over
    // (a third of a second for the ground).
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}
