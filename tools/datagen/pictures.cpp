#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/glyphs.h"
#include "stroke_font.h"

namespace {

constexpr float kTwoPi = 6.28318531f;

// ---------------------------------------------------------------- ground ---
// Made a row at a time and each row whole, the fields and every layer over
// them, so that any band of rows can be made alone: the browser shares the
// picture out among its workers. The layers are masks made row by row
// (RowMask) and the village's houses and gardens, laid out first.

// Where the world origin, the middle of the play area, falls on the ground
// picture (the ground quad runs from x -7500 to 10500 and z -6000 to 12000).
constexpr float kLandingX = kGroundSize * 7500.0f / 18000.0f;
constexpr float kLandingY = kGroundSize * (1.0f - 6000.0f / 18000.0f);
constexpr Vec2 kVillage{kLandingX + 35, kLandingY - 25};
// How far from the landing the woods thin out.
constexpr float kVillageWoods = 420;

struct Parcel {
    Color crop;
    float furrowAngle;
    float furrowSpacing;  // pixels; 0 for a meadow without furrows
    float furrowDepth;
    // The angle's cosine and sine, taken once: every pixel of the field
    // needs them.
    float furrowCos = 0, furrowSin = 0;
};

// Which parcel each pixel of a band of rows belongs to.
struct ParcelMap {
    int top = 0, bottom = 0;  // the rows held
    std::vector<uint16_t> ids;
    std::vector<Parcel> parcels;

    int at(int x, int y) const { return ids[static_cast<size_t>(y - top) * kGroundSize + x]; }
};

Color cropColor(Dice& dice) {
    // Greens twice, so bright rapeseed stays the exception.
    static const Color crops[] = {
        {0.72f, 0.64f, 0.42f},  // ripe wheat
        {0.80f, 0.74f, 0.32f},  // rapeseed
        {0.45f, 0.55f, 0.30f},  // young grain
        {0.38f, 0.50f, 0.27f},  // meadow
        {0.46f, 0.37f, 0.28f},  // ploughed
        {0.60f, 0.52f, 0.38f},  // stubble
        {0.34f, 0.45f, 0.25f},  // pasture
        {0.62f, 0.58f, 0.41f},  // hay
        {0.42f, 0.52f, 0.29f},  // grain
        {0.52f, 0.42f, 0.31f},  // harrowed
    };
    Color c = crops[dice.below(10)];
    return scale(c, dice.range(0.9f, 1.08f));
}

// Splits the rectangle into strip fields until they are field-sized. Every
// band lays out the whole picture's fields, the same ones, and keeps the
// ids of its own rows.
void splitFields(ParcelMap& map, Dice& dice, int x0, int y0, int x1, int y1) {
    int w = x1 - x0, h = y1 - y0;
    bool wide = w > h;
    int longSide = wide ? w : h;
    if (longSide < 90 || (longSide < 260 && dice.next() < 0.25f)) {
        Parcel p{cropColor(dice), wide ? 0.0f : kTwoPi / 4, dice.range(3.0f, 6.0f), dice.range(0.04f, 0.1f)};
        if (dice.next() < 0.3f) p.furrowSpacing = 0;
        p.furrowCos = cosine(p.furrowAngle);
        p.furrowSin = sine(p.furrowAngle);
        map.parcels.push_back(p);
        const auto id = static_cast<uint16_t>(map.parcels.size() - 1);
        for (int y = std::max(y0, map.top); y < std::min(y1, map.bottom); ++y)
            std::fill_n(map.ids.begin() + static_cast<std::ptrdiff_t>(y - map.top) * kGroundSize + x0, w, id);
        return;
    }
    int cut = static_cast<int>(static_cast<float>(longSide) * dice.range(0.3f, 0.7f));
    if (wide) {
        splitFields(map, dice, x0, y0, x0 + cut, y1);
        splitFields(map, dice, x0 + cut, y0, x1, y1);
    } else {
        splitFields(map, dice, x0, y0, x1, y0 + cut);
        splitFields(map, dice, x0, y0 + cut, x1, y1);
    }
}

// The parcels of the rows [top, bottom).
ParcelMap parcelMap(int top, int bottom) {
    ParcelMap map;
    map.top = top, map.bottom = bottom;
    map.ids.resize(static_cast<size_t>(bottom - top) * kGroundSize);
    Dice dice(2024);
    // Large blocks first, each split into strips the way fields are divided.
    for (int by = 0; by < kGroundSize; by += 512)
        for (int bx = 0; bx < kGroundSize; bx += 512) splitFields(map, dice, bx, by, bx + 512, by + 512);
    return map;
}

// A path across the picture that wanders by noise around the line a -> b.
std::vector<Vec2> wanderingPath(Vec2 a, Vec2 b, float amplitude, float wavelength, uint32_t seed) {
    std::vector<Vec2> points;
    float length = hypotenuse(b.x - a.x, b.y - a.y);
    float nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
    int steps = static_cast<int>(length / 4);
    for (int i = 0; i <= steps; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(steps);
        float along = t * length / wavelength;
        float offset = (fbm(along, 0.5f, 3, seed) - 0.5f) * 2 * amplitude;
        // Pinned at both ends, so the path reaches its end points.
        offset *= sine(t * kTwoPi / 2);
        points.push_back({a.x + (b.x - a.x) * t + nx * offset, a.y + (b.y - a.y) * t + ny * offset});
    }
    return points;
}

// A path through the given points, softened by wandering between them.
std::vector<Vec2> road(std::initializer_list<Vec2> stops, float amplitude, uint32_t seed) {
    std::vector<Vec2> points;
    const Vec2* previous = nullptr;
    for (const Vec2& stop : stops) {
        if (previous) {
            auto leg = wanderingPath(*previous, stop, amplitude, 300, seed++);
            points.insert(points.end(), leg.begin() + (points.empty() ? 0 : 1), leg.end());
        }
        previous = &stop;
    }
    return points;
}

// Tree crowns: bright tops on dark gaps, at a few pixels per crown, from the
// crowns' and the stands' noise there.
Color forestTone(float crowns, float stands) {
    Color dark{0.07f, 0.17f, 0.07f}, light{0.20f, 0.36f, 0.14f};
    Color c = mix(dark, light, smoothstep(0.3f, 0.75f, crowns));
    return mix(c, Color{0.16f, 0.26f, 0.09f}, 0.5f * smoothstep(0.5f, 0.8f, stands));
}

// The furrows' waves, kept by field and the point's place across the
// furrows: a field with its furrows along y has the same places in every
// row, one along x the same few all along a row, so each wave is taken once
// or so.
struct FurrowMemo {
    static constexpr size_t kSize = 1 << 15;
    std::vector<uint64_t> keys = std::vector<uint64_t>(kSize, ~uint64_t{0});  // never a field's
    std::vector<float> waves = std::vector<float>(kSize);

    float wave(int field, const Parcel& parcel, float along) {
        uint32_t bits;
        std::memcpy(&bits, &along, sizeof bits);
        const uint64_t key = static_cast<uint64_t>(field) << 32 | bits;
        const size_t slot = static_cast<uint32_t>((bits ^ static_cast<uint32_t>(field) * 0x85EBCA77u) * 0x9E3779B1u) >> 17;
        if (keys[slot] != key) keys[slot] = key, waves[slot] = sine(along * kTwoPi / parcel.furrowSpacing);
        return waves[slot];
    }
};

// The noise the fields and the woods are made of, a row at a time. The
// hedges' and the trees' is needed at few pixels: taken there only.
struct GroundNoise {
    FbmRows warpX = fbmRows(kGroundSize, 90, 2, 3), warpY = fbmRows(kGroundSize, 90, 2, 4);
    FbmRows grain = fbmRows(kGroundSize, 6, 2, 77), patch = fbmRows(kGroundSize, 60, 3, 78);
    FbmRows hedges = fbmRows(kGroundSize, 25, 2, 8);
    FbmRows crowns = fbmRows(kGroundSize, 2.5f, 2, 91), stands = fbmRows(kGroundSize, 40, 2, 92);
    FbmRows woods = fbmRows(kGroundSize, 260, 4, 9), hills = fbmRows(kGroundSize, 400, 3, 10);
    FbmRows bankGaps = fbmRows(kGroundSize, 30, 2, 31);
    FurrowMemo furrows;
};

// The trees' colour at pixel x of the row the noise is prepared for.
Color forestAt(const GroundNoise& noise, int x) { return forestTone(fbmAt(noise.crowns, x), fbmAt(noise.stands, x)); }

// Field `id`'s colour at (x, y), with the fine grain and the broad patches
// of its crop there (fbm values, less a half).
Color fieldColor(int id, const Parcel& parcel, float x, float y, float grain, float patch, FurrowMemo& furrows) {
    Color c = parcel.crop;
    if (parcel.furrowSpacing > 0) {
        float along = x * parcel.furrowCos + y * parcel.furrowSin;
        float wave = furrows.wave(id, parcel, along);
        c = scale(c, 1.0f + parcel.furrowDepth * wave);
    }
    return scale(c, 1.0f + 0.12f * grain + 0.25f * patch);
}

// Row y of the fields, with their hedges and the woods.
void paintFieldsRow(std::vector<Color>& row, GroundNoise& noise, const ParcelMap& map, int y) {
    const float* warpX = fbmRow(noise.warpX, y).data();
    const float* warpY = fbmRow(noise.warpY, y).data();
    const float* grain = fbmRow(noise.grain, y).data();
    const float* patch = fbmRow(noise.patch, y).data();
    const float* woodland = fbmRow(noise.woods, y).data();
    const float* hills = fbmRow(noise.hills, y).data();
    prepareFbmRow(noise.hedges, y);
    prepareFbmRow(noise.crowns, y);
    prepareFbmRow(noise.stands, y);
    const float fy = static_cast<float>(y);
    const bool nearVillageRow = std::fabs(fy - kLandingY) <= kVillageWoods;
    for (int x = 0; x < kGroundSize; ++x) {
        const float fx = static_cast<float>(x);
        // Wavy field borders: look the parcel up at a displaced point.
        int wx = std::clamp(x + static_cast<int>((warpX[x] - 0.5f) * 40), 0, kGroundSize - 1);
        int wy = std::clamp(y + static_cast<int>((warpY[x] - 0.5f) * 40), 0, kGroundSize - 1);
        int id = map.at(wx, wy);
        int right = map.at(std::min(wx + 2, kGroundSize - 1), wy);
        int below = map.at(wx, std::min(wy + 2, kGroundSize - 1));
        Color c = fieldColor(id, map.parcels[static_cast<size_t>(id)], fx, fy, grain[x] - 0.5f, patch[x] - 0.5f,
                             noise.furrows);
        if (id != right || id != below) {
            // Field edges: hedgerows in places, a grass strip elsewhere.
            bool hedge = fbmAt(noise.hedges, x) > 0.5f;
            c = hedge ? forestAt(noise, x) : mix(c, Color{0.35f, 0.45f, 0.22f}, 0.6f);
        }
        // Woods on the rougher ground, kept away from the village (further
        // than kVillageWoods the subtraction is of a zero).
        float woods = woodland[x];
        if (nearVillageRow && std::fabs(fx - kLandingX) <= kVillageWoods) {
            float nearVillage = hypotenuse(fx - kLandingX, fy - kLandingY);
            woods -= 0.25f * (1 - smoothstep(150, kVillageWoods, nearVillage));
        }
        // Woods below 0.6 have no trees (the smoothstep is a zero).
        if (woods > 0.6f) c = mix(c, forestAt(noise, x), smoothstep(0.6f, 0.62f, woods));
        // Broad light and shade of hills.
        row[static_cast<size_t>(x)] = scale(c, 0.85f + 0.3f * hills[x]);
    }
}

// Paints `color` over the row wherever the mask's row covers it.
void paintRow(std::vector<Color>& row, const RowMask& mask, Color color) {
    for (int x = mask.left; x <= mask.right; ++x) {
        const float cover = mask.cover[static_cast<size_t>(x)];
        if (cover > 0) row[static_cast<size_t>(x)] = mix(row[static_cast<size_t>(x)], color, cover);
    }
}

// The river, the ponds and the roads, as masks.
struct Waters {
    RowMask banks{kGroundSize, kGroundSize}, shallows{kGroundSize, kGroundSize}, water{kGroundSize, kGroundSize};
    RowMask rims[2] = {{kGroundSize, kGroundSize}, {kGroundSize, kGroundSize}};
    RowMask ponds[2] = {{kGroundSize, kGroundSize}, {kGroundSize, kGroundSize}};
};

struct Roads {
    std::vector<Vec2> east, north;
    RowMask tracks{kGroundSize, kGroundSize}, verges{kGroundSize, kGroundSize}, asphalt{kGroundSize, kGroundSize};
};

Waters layWaters() {
    Waters waters;
    const struct {
        Vec2 centre;
        float radius;
    } ponds[] = {{{1500, 600}, 30}, {{500, 760}, 18}};
    for (int i = 0; i < 2; ++i) {
        fillEllipse(waters.rims[i], ponds[i].centre, ponds[i].radius * 1.35f + 3, ponds[i].radius + 3);
        fillEllipse(waters.ponds[i], ponds[i].centre, ponds[i].radius * 1.35f, ponds[i].radius);
    }
    auto course = wanderingPath({-20, 250}, {kGroundSize + 20, 1900}, 700, 420, 5);
    // Keep the landing area on dry land, the river in sight of it.
    for (Vec2& p : course) {
        float dx = p.x - kLandingX, dy = p.y - kLandingY;
        float d = hypotenuse(dx, dy);
        if (d < 170) p = {kLandingX + dx / d * 170, kLandingY + dy / d * 170};
    }
    strokePolyline(waters.banks, course, 44);
    strokePolyline(waters.shallows, course, 26);
    strokePolyline(waters.water, course, 19);
    return waters;
}

Roads layRoads() {
    // Two main roads crossing in the village; one of them bridges the river.
    Roads roads;
    roads.east = road({{-10, 1500}, {420, 1420}, kVillage, {1300, 1180}, {kGroundSize + 10, 1010}}, 40, 11);
    roads.north = road({{1010, -10}, {980, 700}, kVillage, {760, 1800}, {700, kGroundSize + 10}}, 40, 21);
    for (const auto* r : {&roads.east, &roads.north}) {
        strokePolyline(roads.verges, *r, 9);
        strokePolyline(roads.asphalt, *r, 5);
    }
    // Field tracks branching off the roads.
    Dice dice(41);
    for (int i = 0; i < 14; ++i) {
        const auto& from = (i % 2) ? roads.east : roads.north;
        Vec2 start = from[static_cast<size_t>(dice.below(static_cast<int>(from.size())))];
        float angle = dice.range(0, kTwoPi);
        float length = dice.range(150, 420);
        Vec2 end{start.x + cosine(angle) * length, start.y + sine(angle) * length};
        strokePolyline(roads.tracks, wanderingPath(start, end, 18, 120, 50 + static_cast<uint32_t>(i)), 2.5f);
    }
    return roads;
}

// Row y of the ponds, the river and the roads over the fields.
void paintWatersAndRoadsRow(std::vector<Color>& row, GroundNoise& noise, Waters& waters, Roads& roads, int y) {
    for (int i = 0; i < 2; ++i) {
        makeRow(waters.rims[i], y);
        paintRow(row, waters.rims[i], {0.16f, 0.30f, 0.12f});
        makeRow(waters.ponds[i], y);
        paintRow(row, waters.ponds[i], {0.14f, 0.30f, 0.40f});
    }
    const float fy = static_cast<float>(y);
    makeRow(waters.banks, y);
    if (waters.banks.left <= waters.banks.right) prepareFbmRow(noise.bankGaps, y);
    for (int x = waters.banks.left; x <= waters.banks.right; ++x) {
        const float cover = waters.banks.cover[static_cast<size_t>(x)];
        if (cover <= 0) continue;
        // Trees along the banks, thinning out in places.
        float gaps = smoothstep(0.35f, 0.6f, fbmAt(noise.bankGaps, x));
        Color& c = row[static_cast<size_t>(x)];
        c = mix(c, forestAt(noise, x), cover * gaps);
    }
    makeRow(waters.shallows, y);
    paintRow(row, waters.shallows, {0.55f, 0.52f, 0.38f});
    makeRow(waters.water, y);
    for (int x = waters.water.left; x <= waters.water.right; ++x) {
        const float cover = waters.water.cover[static_cast<size_t>(x)];
        if (cover <= 0) continue;
        float ripple = fbm(static_cast<float>(x) / 4, fy / 4, 2, 33);
        Color deep{0.12f, 0.28f, 0.38f}, glint{0.35f, 0.55f, 0.62f};
        Color& c = row[static_cast<size_t>(x)];
        c = mix(c, mix(deep, glint, smoothstep(0.55f, 0.8f, ripple)), cover);
    }
    makeRow(roads.tracks, y);
    paintRow(row, roads.tracks, {0.62f, 0.56f, 0.43f});
    makeRow(roads.verges, y);
    paintRow(row, roads.verges, {0.30f, 0.40f, 0.21f});
    makeRow(roads.asphalt, y);
    paintRow(row, roads.asphalt, {0.40f, 0.40f, 0.41f});
}

// ---- The village: laid out first, then painted row by row with the rest.

// Houses stand within 240 pixels of the crossroads, their gardens a little
// beyond: what they keep clear of is needed this near it only.
constexpr int kVillageReach = 300;
constexpr int kVillageTop = static_cast<int>(kVillage.y) - kVillageReach;
constexpr int kVillageBottom = static_cast<int>(kVillage.y) + kVillageReach;  // past the last row
constexpr int kVillageLeft = static_cast<int>(kVillage.x) - kVillageReach;
constexpr int kVillageRight = static_cast<int>(kVillage.x) + kVillageReach;  // past the last column

// Where a house may not stand: the river's banks, the roads' verges and
// tracks, and the houses already built.
struct Blocked {
    std::vector<float> cover = std::vector<float>(static_cast<size_t>(2 * kVillageReach) * 2 * kVillageReach, 0.0f);

    float& at(int x, int y) {
        return cover[static_cast<size_t>(y - kVillageTop) * 2 * kVillageReach + static_cast<size_t>(x - kVillageLeft)];
    }
};

// True when the box around `at` holds no road, river or house yet.
bool isFree(Blocked& blocked, Vec2 at, float halfW, float halfH) {
    for (int y = static_cast<int>(at.y - halfH); y <= static_cast<int>(at.y + halfH); ++y)
        for (int x = static_cast<int>(at.x - halfW); x <= static_cast<int>(at.x + halfW); ++x)
            if (x < 0 || y < 0 || x >= kGroundSize || y >= kGroundSize || blocked.at(x, y) > 0) return false;
    return true;
}

void block(Blocked& blocked, Vec2 at, float halfW, float halfH) {
    for (int y = static_cast<int>(at.y - halfH); y <= static_cast<int>(at.y + halfH); ++y)
        for (int x = static_cast<int>(at.x - halfW); x <= static_cast<int>(at.x + halfW); ++x) blocked.at(x, y) = 1;
}

// A garden strip (rows of vegetables across it) or a house with a two-tone
// roof (lit and shaded slope) casting a shadow, over its box of pixels.
struct VillagePiece {
    bool garden = false;
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive
    // A garden: its rows run along x or y, and the pixels already taken
    // when it was laid out stay as they are.
    bool rowsAlongX = false;
    std::vector<bool> taken;
    // A house.
    Vec2 at;
    float hw = 0, hh = 0;
    Color tile;
};

VillagePiece house(Vec2 at, float hw, float hh, Color tile) {
    VillagePiece piece;
    piece.left = static_cast<int>(at.x - hw) - 2, piece.right = static_cast<int>(at.x + hw) + 5;
    piece.top = static_cast<int>(at.y - hh) - 2, piece.bottom = static_cast<int>(at.y + hh) + 5;
    piece.at = at, piece.hw = hw, piece.hh = hh, piece.tile = tile;
    return piece;
}

VillagePiece garden(Blocked& blocked, Vec2 centre, bool rowsAlongX) {
    VillagePiece piece;
    piece.garden = true;
    piece.left = static_cast<int>(centre.x - 10), piece.right = static_cast<int>(centre.x + 10);
    piece.top = static_cast<int>(centre.y - 10), piece.bottom = static_cast<int>(centre.y + 10);
    piece.rowsAlongX = rowsAlongX;
    for (int y = piece.top; y <= piece.bottom; ++y)
        for (int x = piece.left; x <= piece.right; ++x) piece.taken.push_back(blocked.at(x, y) > 0);
    return piece;
}

// Houses facing the two roads near the crossroads, each with a garden
// behind it, and a church with its tower at the crossing: where each goes,
// in the order they are painted.
std::vector<VillagePiece> layVillage(const Waters& waters, const Roads& roads) {
    Blocked blocked;
    for (RowMask mask : {waters.banks, roads.verges, roads.tracks}) {
        mask.firstColumn = kVillageLeft, mask.lastColumn = kVillageRight - 1;
        for (int y = kVillageTop; y < kVillageBottom; ++y) {
            makeRow(mask, y);
            for (int x = mask.left; x <= mask.right; ++x)
                blocked.at(x, y) = std::max(blocked.at(x, y), mask.cover[static_cast<size_t>(x)]);
        }
    }

    std::vector<VillagePiece> pieces;
    static const Color roofs[] = {{0.68f, 0.30f, 0.20f}, {0.60f, 0.25f, 0.17f}, {0.55f, 0.34f, 0.24f},
                                  {0.46f, 0.45f, 0.47f}, {0.72f, 0.38f, 0.24f}};
    Dice dice(61);
    Vec2 church{kVillage.x + 22, kVillage.y + 20};
    if (isFree(blocked, church, 12, 8)) {
        pieces.push_back(house(church, 11, 5, {0.42f, 0.40f, 0.42f}));
        pieces.push_back(house({church.x + 13, church.y}, 3.5f, 3.5f, {0.30f, 0.32f, 0.30f}));
        block(blocked, church, 18, 8);
    }
    for (const auto* line : {&roads.east, &roads.north})
        for (size_t i = 1; i < line->size(); i += 3) {
            Vec2 p = (*line)[i], q = (*line)[i - 1];
            float along = hypotenuse(p.x - kVillage.x, p.y - kVillage.y);
            if (along > 240 || dice.next() < along / 300) continue;
            float dx = p.x - q.x, dy = p.y - q.y, length = hypotenuse(dx, dy);
            float nx = -dy / length, ny = dx / length;
            bool roadAlongX = std::fabs(dx) > std::fabs(dy);
            for (float side : {-1.0f, 1.0f}) {
                float offset = dice.range(11, 14);
                Vec2 at{p.x + nx * side * offset, p.y + ny * side * offset};
                float hw = roadAlongX ? dice.range(4.5f, 7) : dice.range(3, 3.8f);
                float hh = roadAlongX ? dice.range(3, 3.8f) : dice.range(4.5f, 7);
                if (!isFree(blocked, at, hw + 1, hh + 1)) continue;
                // The garden strip runs away from the road behind the house.
                pieces.push_back(garden(blocked, {at.x + nx * side * 14, at.y + ny * side * 14}, roadAlongX));
                pieces.push_back(house(at, hw, hh, roofs[dice.below(5)]));
                block(blocked, at, hw + 2, hh + 2);
            }
        }
    return pieces;
}

void paintVillageRow(std::vector<Color>& row, const std::vector<VillagePiece>& pieces, int y) {
    for (const VillagePiece& piece : pieces) {
        if (y < piece.top || y > piece.bottom) continue;
        for (int x = piece.left; x <= piece.right; ++x) {
            Color& c = row[static_cast<size_t>(x)];
            if (piece.garden) {
                const int width = piece.right - piece.left + 1;
                if (piece.taken[static_cast<size_t>((y - piece.top) * width + (x - piece.left))]) continue;
                float rows = 0.5f + 0.5f * sine(static_cast<float>(piece.rowsAlongX ? x : y) * 1.7f);
                c = mix(c, mix(Color{0.30f, 0.44f, 0.20f}, Color{0.45f, 0.40f, 0.26f}, 0.4f * rows), 0.8f);
                continue;
            }
            const Vec2 at = piece.at;
            const float hw = piece.hw, hh = piece.hh;
            bool ridgeAlongX = hw > hh;
            Vec2 slopeCentre = ridgeAlongX ? Vec2{at.x, at.y + hh / 2} : Vec2{at.x + hw / 2, at.y};
            float slopeW = ridgeAlongX ? hw : hw / 2, slopeH = ridgeAlongX ? hh / 2 : hh;
            Vec2 p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            c = mix(c, scale(c, 0.45f), clamp01(0.5f - distanceToRoundBox(p, {at.x + 2, at.y + 2}, hw, hh, 0.5f)));
            c = mix(c, piece.tile, clamp01(0.5f - distanceToRoundBox(p, at, hw, hh, 0.5f)));
            c = mix(c, scale(piece.tile, 0.72f),
                    clamp01(0.5f - distanceToRoundBox(p, slopeCentre, slopeW, slopeH, 0.3f)));
        }
    }
}

}  // namespace

std::vector<unsigned char> groundRows(int top, int bottom, const std::function<void(float)>& progress) {
    const auto tell = [&](float done) {
        if (progress) progress(done);
    };
    // The field borders wander up to 20 pixels and look 2 further down.
    const ParcelMap map = parcelMap(std::max(0, top - 20), std::min(kGroundSize, bottom + 23));
    GroundNoise noise;
    Waters waters = layWaters();
    Roads roads = layRoads();
    const std::vector<VillagePiece> village =
        bottom > kVillageTop && top < kVillageBottom ? layVillage(waters, roads) : std::vector<VillagePiece>();

    constexpr size_t kRowBytes = kGroundSize * 3;
    std::vector<unsigned char> bytes(static_cast<size_t>(bottom - top) * kRowBytes);
    std::vector<Color> row(kGroundSize);
    for (int y = top; y < bottom; ++y) {
        if ((y - top) % 64 == 0) tell(static_cast<float>(y - top) / static_cast<float>(bottom - top));
        paintFieldsRow(row, noise, map, y);
        paintWatersAndRoadsRow(row, noise, waters, roads, y);
        paintVillageRow(row, village, y);
        // The file's rows go from the bottom up.
        unsigned char* out = bytes.data() + static_cast<size_t>(bottom - 1 - y) * kRowBytes;
        for (const Color& c : row) *out++ = toByte(c.b), *out++ = toByte(c.g), *out++ = toByte(c.r);
    }
    tell(1);
    return bytes;
}

// ------------------------------------------------------------------- sky ---

Image makeSky() {
    constexpr int size = 512;
    Image sky(size, size, {});
    FbmRows densities = fbmRows(size, 70, 5, 201), wisping = fbmRows(size, 12, 2, 202);
    for (int y = 0; y < size; ++y) {
        const float* densityRow = fbmRow(densities, y).data();
        const float* wispsRow = fbmRow(wisping, y).data();
        for (int x = 0; x < size; ++x) {
            float fx = static_cast<float>(x), fy = static_cast<float>(y);
            // Deeper blue overhead (the middle), paler toward the horizon.
            float fromCentre = hypotenuse(fx - size / 2.0f, fy - size / 2.0f) / (size / 2.0f);
            Color blue = mix(Color{0.22f, 0.45f, 0.85f}, Color{0.62f, 0.78f, 0.95f}, clamp01(fromCentre * 0.8f));
            float density = densityRow[x];
            // The bubbles are tinted by the texel at the top-left corner, so
            // a thick cloud always covers that corner.
            float corner = 1 - smoothstep(40, 110, hypotenuse(fx, fy));
            float cloud = std::max(smoothstep(0.48f, 0.64f, density), corner);
            // Seen from below, thick cloud is grey in the middle, bright at the rim.
            float thickness = smoothstep(0.6f, 0.85f, density) * (1 - corner);
            Color body = mix(Color{0.98f, 0.98f, 0.97f}, Color{0.66f, 0.68f, 0.74f}, thickness);
            float wisps = wispsRow[x] - 0.5f;
            sky.at(x, y) = mix(blue, scale(body, 1 + 0.08f * wisps * (1 - corner)), cloud);
        }
    }
    return sky;
}

// --------------------------------------------------------------- bottles ---
// The bottle's picture wraps around it: x is the angle (s), and from the top
// down: cap (t 1 to 0.95), neck (to 0.8), shoulder (to 0.7), body with the
// label (to 0.1), then the base disc around (0.5, 0.05).

namespace {

constexpr int kBottleSize = 256;

float wrappedDistance(float s, float s0) {
    float d = std::fabs(s - s0);
    return std::min(d, 1 - d);
}

// Light across the glass: a lit side, a dark side and sharp highlights. All
// in terms of s, so the picture joins up seamlessly around the bottle.
float glassShade(float s) { return 0.7f + 0.3f * cosine(kTwoPi * (s - 0.3f)); }

float glassGlint(float s) {
    float a = wrappedDistance(s, 0.28f) / 0.02f, b = wrappedDistance(s, 0.34f) / 0.008f,
          c = wrappedDistance(s, 0.78f) / 0.05f;
    return 0.75f * std::exp(-a * a) + 0.45f * std::exp(-b * b) + 0.2f * std::exp(-c * c);
}

struct BottleLook {
    Color glass;
    Color cap;
    float depthScale;  // how the game squashes the base disc
};

// The glass, the cap and the base of a bottle; the labels go on top.
Image paintBottleGlass(const BottleLook& look) {
    Image bottle(kBottleSize, kBottleSize, {});
    for (int y = 0; y < kBottleSize; ++y)
        for (int x = 0; x < kBottleSize; ++x) {
            float s = (static_cast<float>(x) + 0.5f) / kBottleSize;
            float t = 1 - (static_cast<float>(y) + 0.5f) / kBottleSize;
            Color c;
            if (t > 0.95f) {
                // The cap, seen end on: brighter toward its middle (t 0.95).
                float rim = (t - 0.95f) / 0.05f;
                c = scale(look.cap, 1.1f - 0.45f * rim + 0.15f * cosine(kTwoPi * s * 12) * rim);
            } else if (t > 0.1f) {
                float shade = glassShade(s);
                // Thicker glass at the lip and at the heel looks darker and richer.
                float lip = smoothstep(0.9f, 0.94f, t), heel = 1 - smoothstep(0.1f, 0.15f, t);
                float shoulder = std::exp(-std::pow((t - 0.76f) / 0.04f, 2.0f));
                Color glass = scale(look.glass, shade * (1 - 0.25f * heel) + 0.2f * lip);
                c = mix(glass, Color{1, 1, 1}, clamp01(glassGlint(s) + 0.3f * shoulder * shade));
            } else {
                // The base disc: a punt with rings, as in a real bottle's bottom.
                float u = (s - 0.5f) / 0.05f, v = (t - 0.05f) / (0.05f * look.depthScale);
                float r = hypotenuse(u, v);
                float rings = 0.5f + 0.5f * cosine(r * kTwoPi * 3);
                c = scale(look.glass, 0.55f + 0.25f * rings + 0.3f * smoothstep(0.75f, 0.95f, r));
                c = mix(c, Color{1, 1, 1}, 0.25f * std::exp(-std::pow((r - 0.55f) / 0.08f, 2.0f)));
            }
            bottle.at(x, y) = c;
        }
    return bottle;
}

// Paints `color` over the masked part, lit like the glass under it, so a
// label reads as wrapped around the bottle.
void paintWrapped(Image& bottle, const Mask& mask, Color color) {
    for (int y = 0; y < kBottleSize; ++y)
        for (int x = 0; x < kBottleSize; ++x) {
            float cover = mask.at(x, y);
            if (cover <= 0) continue;
            float s = (static_cast<float>(x) + 0.5f) / kBottleSize;
            Color lit = mix(scale(color, 0.55f + 0.45f * glassShade(s)), Color{1, 1, 1}, 0.35f * glassGlint(s));
            bottle.at(x, y) = mix(bottle.at(x, y), lit, cover);
        }
}

float rowOf(float t) { return (1 - t) * kBottleSize; }

}  // namespace

Image makePlayerBottle() {
    Image bottle = paintBottleGlass({{0.16f, 0.36f, 0.95f}, {0.95f, 0.75f, 0.2f}, 0.7f});
    const float w = kBottleSize;
    // Gold foil round the neck, with diagonal pleats.
    Mask foil(kBottleSize, kBottleSize), pleats(kBottleSize, kBottleSize);
    for (int x = 0; x < kBottleSize; ++x)
        for (int y = static_cast<int>(rowOf(0.935f)); y < static_cast<int>(rowOf(0.82f)); ++y) {
            foil.at(x, y) = 1;
            pleats.at(x, y) = 0.5f + 0.5f * sine((static_cast<float>(x + y)) * kTwoPi / 8);
        }
    paintWrapped(bottle, foil, {0.95f, 0.72f, 0.18f});
    paintWrapped(bottle, pleats, {0.75f, 0.5f, 0.1f});
    // A red band all the way round, gold edges, three yellow stars.
    Mask band(kBottleSize, kBottleSize), edges(kBottleSize, kBottleSize), stars(kBottleSize, kBottleSize);
    for (int x = 0; x < kBottleSize; ++x)
        for (int y = static_cast<int>(rowOf(0.57f)); y < static_cast<int>(rowOf(0.27f)); ++y) band.at(x, y) = 1;
    for (float t : {0.555f, 0.285f}) strokeSegment(edges, {-4, rowOf(t)}, {w + 4, rowOf(t)}, 4);
    for (float s : {1.0f / 6, 0.5f, 5.0f / 6}) fillStar(stars, {s * w, rowOf(0.42f)}, 24, 0.42f, true);
    Mask dots(kBottleSize, kBottleSize);
    for (float s : {0.0f, 1.0f / 3, 2.0f / 3}) fillEllipse(dots, {s * w + 1, rowOf(0.42f)}, 6, 6);
    paintWrapped(bottle, band, {0.88f, 0.1f, 0.08f});
    paintWrapped(bottle, edges, {0.98f, 0.78f, 0.22f});
    paintWrapped(bottle, stars, {1.0f, 0.92f, 0.25f});
    paintWrapped(bottle, dots, {1.0f, 0.95f, 0.85f});
    // A yellow star on the base, where the camera above sees it first.
    Mask baseStar(kBottleSize, kBottleSize);
    fillStar(baseStar, {0.5f * w, rowOf(0.05f)}, 8, 0.45f);
    paint(bottle, baseStar, {1.0f, 0.88f, 0.2f});
    return bottle;
}

Image makeOtherBottle() {
    Image bottle = paintBottleGlass({{0.18f, 0.62f, 0.26f}, {0.78f, 0.8f, 0.82f}, 1.0f});
    const float w = kBottleSize;
    // A cream paper label on the front only: the glass shows at the back.
    Vec2 centre{0.5f * w, rowOf(0.41f)};
    Mask paper(kBottleSize, kBottleSize), frame(kBottleSize, kBottleSize), leaf(kBottleSize, kBottleSize);
    fillRoundBox(paper, centre, 0.36f * w, 0.11f * w, 10);
    Mask inner(kBottleSize, kBottleSize);
    fillRoundBox(inner, centre, 0.36f * w - 5, 0.11f * w - 5, 7);
    for (size_t i = 0; i < frame.cover.size(); ++i) frame.cover[i] = paper.cover[i] * (1 - inner.cover[i]);
    // A green leaf with its vein, and two lines of small print beside it.
    fillEllipse(leaf, centre, 11, 18);
    Mask vein(kBottleSize, kBottleSize), print(kBottleSize, kBottleSize);
    strokeSegment(vein, {centre.x, centre.y - 15}, {centre.x, centre.y + 15}, 1.5f);
    for (float side : {-1.0f, 1.0f})
        for (float dy : {-7.0f, 0.0f, 7.0f})
            strokeSegment(print, {centre.x + side * 24, centre.y + dy}, {centre.x + side * (dy == 0 ? 62 : 52), centre.y + dy},
                          2.2f);
    paintWrapped(bottle, paper, {0.95f, 0.92f, 0.80f});
    paintWrapped(bottle, frame, {0.15f, 0.42f, 0.2f});
    paintWrapped(bottle, leaf, {0.25f, 0.6f, 0.22f});
    paintWrapped(bottle, vein, {0.12f, 0.35f, 0.12f});
    paintWrapped(bottle, print, {0.35f, 0.35f, 0.32f});
    return bottle;
}

// ------------------------------------------------------------------ font ---

Image makeFont() {
    constexpr int size = 256, cell = size / 4;
    constexpr float glyphHeight = 44, stroke = 6.5f;
    // The game shows a cell on a quad half again as high as it is wide;
    // glyphs drawn that much wider come out in their own proportions.
    constexpr float widthScale = 1.4f;
    const float glyphWidth = glyphOf(U'0').advance * glyphHeight * widthScale;
    Mask ink(size, size);
    for (int d = 0; d <= 9; ++d) {
        // Column d mod 4, row d / 4 from the top (the t = 1 edge).
        float left = static_cast<float>((d % 4) * cell) + (cell - glyphWidth) / 2;
        float baseline = static_cast<float>((d / 4) * cell) + cell - (cell - glyphHeight) / 2;
        drawText(ink, std::string(1, static_cast<char>('0' + d)), left, baseline, glyphHeight, stroke, widthScale);
    }
    Image font(size, size, {});
    paint(font, ink, {1, 1, 1});
    return font;
}

// ------------------------------------------------------------ end screen ---

Image makeEndScreen() {
    constexpr int width = 512, height = 256;
    Image card(width, height, {});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float v = static_cast<float>(y) / height;
            Color dusk = mix(Color{0.04f, 0.06f, 0.22f}, Color{0.55f, 0.3f, 0.42f}, v * v);
            float star = hash01(x, y, 301);
            if (star > 0.9965f && v < 0.6f) dusk = mix(dusk, Color{1, 1, 0.9f}, (star - 0.9965f) / 0.0035f);
            card.at(x, y) = dusk;
        }
    // Rolling hills along the bottom, the ground the bottles came down to.
    for (int x = 0; x < width; ++x) {
        float fx = static_cast<float>(x);
        float far = 200 + 14 * sine(fx / 70) + 10 * fbm(fx / 40, 0.5f, 3, 302);
        float near = 222 + 10 * sine(fx / 45 + 2) + 8 * fbm(fx / 30, 1.5f, 3, 303);
        for (int y = 0; y < height; ++y) {
            float fy = static_cast<float>(y) + 0.5f;
            Color& c = card.at(x, y);
            c = mix(c, Color{0.09f, 0.2f, 0.16f}, clamp01(fy - far));
            c = mix(c, Color{0.05f, 0.13f, 0.07f}, clamp01(fy - near));
        }
    }
    // A bottle lying in the grass, and bubbles rising.
    Mask glass(width, height), neck(width, height), label(width, height);
    fillRoundBox(glass, {380, 224}, 26, 9, 8);
    strokeSegment(neck, {400, 224}, {425, 224}, 7);
    fillRoundBox(label, {376, 224}, 10, 8.5f, 1);
    paint(card, glass, {0.2f, 0.4f, 0.95f}, 0.9f);
    paint(card, neck, {0.2f, 0.4f, 0.95f}, 0.9f);
    paint(card, label, {0.88f, 0.12f, 0.1f});
    Mask bubbles(width, height);
    Dice dice(304);
    for (int i = 0; i < 14; ++i) {
        Vec2 centre{dice.range(20, 492), dice.range(20, 190)};
        if (centre.y > 45 && centre.y < 175 && centre.x > 20 && centre.x < 492) centre.y = dice.range(180, 200);
        float r = dice.range(3, 9);
        std::vector<Vec2> ring;
        for (int k = 0; k <= 24; ++k)
            ring.push_back({centre.x + r * cosine(kTwoPi * k / 24), centre.y + r * sine(kTwoPi * k / 24)});
        strokePolyline(bubbles, ring, 1.6f);
    }
    paint(card, bubbles, {0.55f, 0.7f, 1.0f}, 0.9f);

    // The title, centred, with a dark drop shadow and a warm gradient.
    const std::string title = "Konec hry";
    const float size = 70, stroke = 11;
    float left = (width - textWidth(title) * size) / 2, baseline = 142;
    Mask shadow(width, height), letters(width, height);
    drawText(shadow, title, left + 4, baseline + 4, size, stroke + 4);
    drawText(letters, title, left, baseline, size, stroke);
    paint(card, shadow, {0.02f, 0.02f, 0.06f}, 0.8f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float cover = letters.at(x, y);
            if (cover <= 0) continue;
            float v = clamp01((static_cast<float>(y) - (baseline - size)) / size);
            Color gold = mix(Color{1.0f, 0.95f, 0.6f}, Color{0.98f, 0.55f, 0.15f}, v);
            card.at(x, y) = mix(card.at(x, y), gold, cover);
        }
    return card;
}
