#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Image::Image(int w, int h, Color fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Mask::Mask(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w) * h, 0.0f) {}

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

namespace {

// The box fillFromDistance would fill for a shape of the bounds given.
RowShape boxed(RowShape shape, const RowMask& mask, float x0, float y0, float x1, float y1) {
    shape.top = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    shape.bottom = std::min(mask.height - 1, static_cast<int>(std::ceil(y1)) + 1);
    shape.left = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    shape.right = std::min(mask.width - 1, static_cast<int>(std::ceil(x1)) + 1);
    return shape;
}

}  // namespace

void strokeSegment(RowMask& mask, Vec2 a, Vec2 b, float thickness) {
    float r = thickness / 2;
    RowShape shape;
    shape.kind = RowShape::Segment;
    shape.a = a, shape.b = b, shape.radius = r;
    mask.shapes.push_back(boxed(shape, mask, std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
                                std::max(a.y, b.y) + r));
}

void strokePolyline(RowMask& mask, const std::vector<Vec2>& points, float thickness) {
    for (size_t i = 1; i < points.size(); ++i) strokeSegment(mask, points[i - 1], points[i], thickness);
    if (points.size() == 1) strokeSegment(mask, points[0], points[0], thickness);
}

void fillEllipse(RowMask& mask, Vec2 centre, float rx, float ry) {
    RowShape shape;
    shape.kind = RowShape::Ellipse;
    shape.a = centre, shape.rx = rx, shape.ry = ry;
    mask.shapes.push_back(boxed(shape, mask, centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry));
}

void makeRow(RowMask& mask, int y) {
    if (!mask.started)
        std::stable_sort(mask.shapes.begin(), mask.shapes.end(),
                         [](const RowShape& p, const RowShape& q) { return p.top < q.top; });
    mask.started = true;
    // Shapes wholly above the row (the first row asked may be any) are passed.
    while (mask.begun < mask.shapes.size() && mask.shapes[mask.begun].top <= y) {
        if (mask.shapes[mask.begun].bottom >= y) mask.active.push_back(mask.begun);
        ++mask.begun;
    }
    mask.active.erase(std::remove_if(mask.active.begin(), mask.active.end(),
                                     [&](size_t i) { return mask.shapes[i].bottom < y; }),
                      mask.active.end());
    mask.left = mask.lastColumn + 1, mask.right = mask.firstColumn - 1;
    for (size_t i : mask.active) {
        mask.left = std::min(mask.left, std::max(mask.firstColumn, mask.shapes[i].left));
        mask.right = std::max(mask.right, std::min(mask.lastColumn, mask.shapes[i].right));
    }
    if (mask.left > mask.right) return;
    std::fill(mask.cover.begin() + mask.left, mask.cover.begin() + mask.right + 1, 0.0f);
    const float py = static_cast<float>(y) + 0.5f;
    for (size_t i : mask.active) {
        const RowShape& s = mask.shapes[i];
        const int right = std::min(mask.lastColumn, s.right);
        for (int x = std::max(mask.firstColumn, s.left); x <= right; ++x) {
            // A pixel wholly covered stays so: most of a thick stroke's.
            if (mask.cover[static_cast<size_t>(x)] >= 1) continue;
            const Vec2 p{static_cast<float>(x) + 0.5f, py};
            const float distance = s.kind == RowShape::Segment ? distanceToSegment(p, s.a, s.b) - s.radius
                                                               : distanceToEllipse(p, s.a, s.rx, s.ry);
            float& cell = mask.cover[static_cast<size_t>(x)];
            cell = std::max(cell, clamp01(0.5f - distance));
        }
    }
}

void paint(Image& image, const Mask& mask, Color color, float alpha) {
    for (size_t i = 0; i < image.pixels.size(); ++i)
        if (mask.cover[i] > 0) image.pixels[i] = mix(image.pixels[i], color, mask.cover[i] * alpha);
}

float sine(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float cosine(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

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

FbmRows fbmRows(int width, float scale, int octaves, uint32_t seed) {
    FbmRows rows;
    rows.scale = scale;
    rows.values.resize(static_cast<size_t>(width));
    float weight = 0.5f;
    for (int i = 0; i < octaves; ++i) {
        NoiseOctave octave;
        octave.seed = seed + static_cast<uint32_t>(i) * 101u;
        octave.weight = weight;
        octave.cell.resize(static_cast<size_t>(width));
        octave.fraction.resize(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x) {
            // The doublings fbm does, then valueNoise's floor and easing.
            float at = static_cast<float>(x) / scale;
            for (int k = 0; k < i; ++k) at *= 2;
            float whole = std::floor(at);
            float t = at - whole;
            octave.cell[static_cast<size_t>(x)] = static_cast<int>(whole);
            octave.fraction[static_cast<size_t>(x)] = t * t * (3 - 2 * t);
        }
        octave.firstCell = octave.cell.front();
        for (int& cell : octave.cell) cell -= octave.firstCell;
        const size_t corners = static_cast<size_t>(octave.cell.back()) + 2;
        octave.cornersTop.resize(corners);
        octave.cornersBottom.resize(corners);
        octave.top.resize(static_cast<size_t>(width));
        octave.bottom.resize(static_cast<size_t>(width));
        octave.weightedTop.resize(static_cast<size_t>(width));
        octave.weightedRise.resize(static_cast<size_t>(width));
        rows.octaves.push_back(std::move(octave));
        rows.total += weight;
        weight *= 0.5f;
    }
    return rows;
}

namespace {

// One lattice row's values, and the noise along it at every pixel.
void fillNoiseEdge(const NoiseOctave& octave, int cellRow, std::vector<float>& corners, std::vector<float>& edge) {
    for (size_t i = 0; i < corners.size(); ++i)
        corners[i] = hash01(octave.firstCell + static_cast<int>(i), cellRow, octave.seed);
    for (size_t x = 0; x < edge.size(); ++x) {
        const float left = corners[static_cast<size_t>(octave.cell[x])];
        const float right = corners[static_cast<size_t>(octave.cell[x]) + 1];
        edge[x] = left + (right - left) * octave.fraction[x];
    }
}

// The octave's top and bottom edges for lattice row `cellRow`; going down
// one row, the old bottom edge is the new top.
void moveNoiseOctave(NoiseOctave& octave, int cellRow) {
    if (octave.haveRow && octave.cellRow == cellRow) return;
    if (octave.haveRow && octave.cellRow + 1 == cellRow) {
        std::swap(octave.top, octave.bottom);
        std::swap(octave.cornersTop, octave.cornersBottom);
    } else {
        fillNoiseEdge(octave, cellRow, octave.cornersTop, octave.top);
    }
    fillNoiseEdge(octave, cellRow + 1, octave.cornersBottom, octave.bottom);
    for (size_t x = 0; x < octave.top.size(); ++x) {
        octave.weightedTop[x] = octave.weight * octave.top[x];
        octave.weightedRise[x] = octave.weight * (octave.bottom[x] - octave.top[x]);
    }
    octave.cellRow = cellRow;
    octave.haveRow = true;
}

}  // namespace

void prepareFbmRow(FbmRows& rows, int y) {
    // The doublings fbm does, then valueNoise's floor and easing.
    float at = static_cast<float>(y) / rows.scale;
    for (NoiseOctave& octave : rows.octaves) {
        const float whole = std::floor(at);
        float t = at - whole;
        octave.rowFraction = t * t * (3 - 2 * t);
        moveNoiseOctave(octave, static_cast<int>(whole));
        at *= 2;
    }
}

const std::vector<float>& fbmRow(FbmRows& rows, int y) {
    prepareFbmRow(rows, y);
    std::vector<float>& sum = rows.values;
    const size_t width = sum.size();
    for (size_t i = 0; i < rows.octaves.size(); ++i) {
        const NoiseOctave& octave = rows.octaves[i];
        const float* __restrict top = octave.weightedTop.data();
        const float* __restrict rise = octave.weightedRise.data();
        float* __restrict out = sum.data();
        const float t = octave.rowFraction;
        if (i == 0) {
            for (size_t x = 0; x < width; ++x) out[x] = top[x] + rise[x] * t;
        } else {
            for (size_t x = 0; x < width; ++x) out[x] += top[x] + rise[x] * t;
        }
    }
    for (float& v : sum) v /= rows.total;
    return sum;
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


std::vector<unsigned char> bmpHeader(int width, int height) {
    const uint32_t pixelBytes = static_cast<uint32_t>(width) * height * 3;
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    putU32(out, 54 + pixelBytes);  // bfSize
    putU32(out, 0);                // reserved
    putU32(out, 54);               // bfOffBits
    putU32(out, 40);               // biSize
    putU32(out, static_cast<uint32_t>(width));
    putU32(out, static_cast<uint32_t>(height));  // positive: bottom row first
    putU16(out, 1);                              // planes
    putU16(out, 24);
    putU32(out, 0);  // uncompressed
    putU32(out, pixelBytes);
    putU32(out, 2835);  // 72 dpi
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    return out;
}

std::vector<unsigned char> bmpBytes(const Image& image) {
    std::vector<unsigned char> out = bmpHeader(image.width, image.height);
    out.reserve(out.size() + static_cast<size_t>(image.width) * image.height * 3);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const Color& c = image.at(x, y);
            out.push_back(toByte(c.b));
            out.push_back(toByte(c.g));
            out.push_back(toByte(c.r));
        }
    return out;
}

bool writeBytes(const std::vector<unsigned char>& bytes, const std::string& path) {
    // In one write: the browser's memory file system grows a file written
    // piece by piece, as a C++ stream writes it, by copying it over and over
    // (a third of a second for the ground).
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
