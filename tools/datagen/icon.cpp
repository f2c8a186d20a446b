#include "icon.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <fstream>

const std::vector<int> kIconThemeSizes = {16, 32, 48, 64, 128, 192, 256, 512};
const std::vector<int> kIcoSizes = {16, 32, 48, 64, 256};

namespace {

constexpr float kGrid = 16;

const Color kOutline{0.05f, 0.07f, 0.22f};
const Color kGlass{0.16f, 0.36f, 0.95f};  // the player's bottle in the game
const Color kLabel{0.88f, 0.1f, 0.08f};
const Color kGold{0.98f, 0.76f, 0.2f};
const Color kBubble{0.64f, 0.82f, 1.0f};
const Color kWhite{1, 1, 1};

// Paints `colour` over the pixel with coverage `a`, the Porter-Duff "over"
// on straight alpha.
void over(Icon& icon, int x, int y, Color colour, float a) {
    float& below = icon.alpha.at(x, y);
    Color& c = icon.colour.at(x, y);
    float out = a + below * (1 - a);
    if (out <= 0) return;
    float keep = below * (1 - a);
    c = {(colour.r * a + c.r * keep) / out, (colour.g * a + c.g * keep) / out, (colour.b * a + c.b * keep) / out};
    below = out;
}

// Paints shade(p) wherever the shape covers the icon. Both take points in
// grid cells (16 across); `distance` is negative inside, in grid cells too,
// and turned into pixels for the anti-aliased edge.
template <typename Distance, typename Shade>
void layer(Icon& icon, Distance distance, Shade shade) {
    const float pixelsPerCell = static_cast<float>(icon.size) / kGrid;
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x) {
            Vec2 p{(static_cast<float>(x) + 0.5f) / pixelsPerCell, (static_cast<float>(y) + 0.5f) / pixelsPerCell};
            float cover = clamp01(0.5f - distance(p) * pixelsPerCell);
            if (cover > 0) over(icon, x, y, shade(p), cover);
        }
}

// ---- The bottle, upright, its axis at x = 10 -------------------------------

constexpr float kAxis = 10;
constexpr float kBodyHalf = 5, kNeckHalf = 2;
constexpr float kCapTop = 1, kCapBottom = 4, kShoulderTop = 6, kShoulderBottom = 9, kBottom = 15;

// Half the bottle's width at height y above the body: the neck, then the
// shoulder widening along a parabola that meets the body's side upright, and
// the slope of that width.
float profileHalfWidth(float y, float* slope) {
    float length = kShoulderBottom - kShoulderTop, spread = kBodyHalf - kNeckHalf;
    float rest = 1 - clamp01((y - kShoulderTop) / length);  // 1 at the neck, 0 at the body
    *slope = y > kShoulderTop && y < kShoulderBottom ? 2 * spread * rest / length : 0;
    return kNeckHalf + spread * (1 - rest * rest);
}

float bottleDistance(Vec2 p) {
    float body = distanceToRoundBox(p, {kAxis, (kShoulderBottom + kBottom) / 2}, kBodyHalf,
                                    (kBottom - kShoulderBottom) / 2, 1.5f);
    // Neck and shoulder: the side's distance measured across the slope.
    float slope = 0;
    float half = profileHalfWidth(p.y, &slope);
    float side = (std::fabs(p.x - kAxis) - half) / std::sqrt(1 + slope * slope);
    float upper = std::max({side, kCapBottom - 1 - p.y, p.y - (kShoulderBottom + 1)});
    return std::min(body, upper);
}

float capDistance(Vec2 p) {
    return distanceToRoundBox(p, {kAxis, (kCapTop + kCapBottom) / 2}, kNeckHalf + 1, (kCapBottom - kCapTop) / 2, 0.6f);
}

// Light from the left: brighter on the left side, darker on the right, and
// a white glint a quarter of the way in.
Color glassLight(Color base, Vec2 p, bool glint) {
    float across = (p.x - kAxis) / kBodyHalf;  // -1 at the left edge, 1 at the right
    Color c = scale(base, 1.05f - 0.4f * across);
    if (glint) c = mix(c, kWhite, 0.8f * std::exp(-std::pow((across + 0.5f) / 0.12f, 2.0f)));
    return c;
}

void drawBottle(Icon& icon, float outline) {
    bool edged = icon.size >= 32, starred = icon.size >= 48;
    // Outline first, then everything inside it shrunk by the outline's width.
    layer(icon, [](Vec2 p) { return std::min(bottleDistance(p), capDistance(p)); },
          [](Vec2) { return kOutline; });
    auto inside = [outline](Vec2 p) { return bottleDistance(p) + outline; };
    layer(icon, inside, [](Vec2 p) {
        // Thicker glass at the heel looks darker.
        float heel = clamp01((p.y - (kBottom - 2)) / 2);
        return glassLight(scale(kGlass, 1 - 0.3f * heel), p, true);
    });
    // The red label round the body, with gold edges and a star when there is
    // room, and lower then, so that some glass shows above and below it.
    const float labelTop = icon.size < 32 ? 10 : 10.5f, labelBottom = labelTop + 3;
    layer(icon, [&](Vec2 p) { return std::max(inside(p), std::max(labelTop - p.y, p.y - labelBottom)); },
          [](Vec2 p) { return glassLight(kLabel, p, true); });
    if (edged) {
        float edge = std::max(outline * 0.6f, 16.0f / static_cast<float>(icon.size));
        // Inside the label, so that at 32 px each edge is one whole row.
        for (float y : {labelTop + edge / 2, labelBottom - edge / 2})
            layer(icon, [&](Vec2 p) { return std::max(inside(p), std::fabs(p.y - y) - edge / 2); },
                  [](Vec2 p) { return glassLight(kGold, p, false); });
    }
    if (starred)
        layer(icon, [&](Vec2 p) { return distanceToStar(p, {kAxis, (labelTop + labelBottom) / 2}, 1.25f, 0.45f); },
              [](Vec2) { return Color{1.0f, 0.93f, 0.3f}; });
    layer(icon, [outline](Vec2 p) { return capDistance(p) + outline; },
          [](Vec2 p) { return glassLight(kGold, p, false); });
}

// ---- The bubble, in front of the bottle's shoulder -------------------------

void drawBubble(Icon& icon, float outline) {
    const Vec2 centre{4.5f, 4.5f};
    const float radius = 3.5f;
    layer(icon, [&](Vec2 p) { return distanceToEllipse(p, centre, radius, radius); }, [](Vec2) { return kOutline; });
    // Paler toward the middle, as a thin film seen face on.
    layer(icon, [&](Vec2 p) { return distanceToEllipse(p, centre, radius - outline, radius - outline); },
          [&](Vec2 p) {
              float r = std::hypot(p.x - centre.x, p.y - centre.y) / radius;
              return mix(kWhite, kBubble, 0.55f + 0.45f * r);
          });
    // The window's reflection, up and to the left.
    const Vec2 shine{centre.x - 1.2f, centre.y - 1.2f};
    float shineRadius = std::max(0.8f, 16.0f / static_cast<float>(icon.size));
    layer(icon, [&](Vec2 p) { return distanceToEllipse(p, shine, shineRadius, shineRadius); },
          [](Vec2) { return kWhite; });
}

// ---- Files -----------------------------------------------------------------

// The icon as 8-bit RGBA rows from the top.
std::vector<unsigned char> rgbaRows(const Icon& icon) {
    std::vector<unsigned char> out;
    out.reserve(static_cast<size_t>(icon.size) * icon.size * 4);
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x) {
            const Color& c = icon.colour.at(x, y);
            unsigned char a = toByte(icon.alpha.at(x, y));
            // Colour under a fully transparent pixel is never seen; zero keeps files alike.
            out.push_back(a ? toByte(c.r) : 0);
            out.push_back(a ? toByte(c.g) : 0);
            out.push_back(a ? toByte(c.b) : 0);
            out.push_back(a);
        }
    return out;
}

// An icon image in the bitmap form: BITMAPINFOHEADER of twice the height
// (colour rows, then the AND mask), 32-bit BGRA rows from the bottom, then a
// 1-bit mask, set where the pixel is transparent, rows padded to 4 bytes.
std::vector<unsigned char> iconBitmap(const Icon& icon) {
    const uint32_t n = static_cast<uint32_t>(icon.size);
    const uint32_t maskRow = (n + 31) / 32 * 4;
    std::vector<unsigned char> rgba = rgbaRows(icon), out;
    putU32(out, 40);
    putU32(out, n);
    putU32(out, 2 * n);
    putU16(out, 1);
    putU16(out, 32);
    putU32(out, 0);  // uncompressed
    putU32(out, n * n * 4 + maskRow * n);
    for (int i = 0; i < 4; ++i) putU32(out, 0);
    for (uint32_t y = n; y-- > 0;)
        for (uint32_t x = 0; x < n; ++x) {
            const unsigned char* p = &rgba[(y * n + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    for (uint32_t y = n; y-- > 0;) {
        std::vector<unsigned char> row(maskRow, 0);
        for (uint32_t x = 0; x < n; ++x)
            if (rgba[(y * n + x) * 4 + 3] < 128) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool writeFile(const std::vector<unsigned char>& bytes, const std::string& path) {
    if (bytes.empty()) return false;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

}  // namespace

Icon makeIcon(int size) {
    Icon icon(size);
    // Whole pixels, so that the smallest sizes keep a crisp one-pixel line.
    float outline = std::max(1.0f, std::round(static_cast<float>(size) / 20)) * kGrid / static_cast<float>(size);
    drawBottle(icon, outline);
    drawBubble(icon, outline);
    return icon;
}

std::vector<unsigned char> encodePng(const Icon& icon) {
    // Declared ahead of setjmp: a libpng error jumps back over nothing that
    // needs destroying.
    std::vector<unsigned char> out, rgba = rgbaRows(icon);
    std::vector<png_bytep> rows;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendToVector, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(icon.size), static_cast<png_uint_32>(icon.size), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    for (int y = 0; y < icon.size; ++y) rows.push_back(&rgba[static_cast<size_t>(y) * icon.size * 4]);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool writeIco(const std::vector<Icon>& icons, const std::string& path,
              const std::function<std::vector<unsigned char>(const Icon&)>& png) {
    std::vector<std::vector<unsigned char>> images;
    for (const Icon& icon : icons) images.push_back(icon.size > 64 ? png(icon) : iconBitmap(icon));
    std::vector<unsigned char> out;
    putU16(out, 0);
    putU16(out, 1);  // an icon, not a cursor
    putU16(out, static_cast<uint32_t>(icons.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(icons.size());
    for (size_t i = 0; i < icons.size(); ++i) {
        if (images[i].empty()) return false;
        out.push_back(static_cast<unsigned char>(icons[i].size & 0xFF));  // 0 means 256
        out.push_back(static_cast<unsigned char>(icons[i].size & 0xFF));
        out.push_back(0);  // no palette
        out.push_back(0);
        putU16(out, 1);   // planes
        putU16(out, 32);  // bits per pixel
        putU32(out, static_cast<uint32_t>(images[i].size()));
        putU32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return writeFile(out, path);
}

bool writePixelHeader(const Icon& icon, const std::string& path) {
    const std::vector<unsigned char> rgba = rgbaRows(icon);
    std::ofstream file(path);
    file << "// The game's icon for its own window, " << icon.size << " x " << icon.size
         << " RGBA from the top row down: written by korvada-datagen.\n"
         << "constexpr int kIconPixelSize = " << icon.size << ";\n"
         << "constexpr unsigned char kIconPixels[] = {";
    for (size_t i = 0; i < rgba.size(); ++i) file << (i % 16 ? " " : "\n    ") << static_cast<int>(rgba[i]) << ',';
    file << "\n};\n";
    return static_cast<bool>(file);
}
