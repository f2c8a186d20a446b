// What the models emit, read back through feedback mode. Mesa returns
// strips, fans and quads as triangles in an order of its own, so vertex
// sets are compared.

#include <algorithm>
#include <array>

#include "render/bubble_model.h"
#include "render/scene.h"
#include "render_fixture.h"

namespace {

constexpr double kTurn = 6.28318;

// The bottle as rings: each band joins two rings; t along the bottle, the
// disc centres and the base's own small ellipse of texture.
std::vector<FbVertex> expectedBottle(float depth) {
    struct Ring {
        float y, rx, rz, t;
    };
    const Ring mouth{-20.5f, 2, 2, 1}, neckLow{-20.5f, 2, 2, 0.95f}, neckTop{-15.5f, 2, 2, 0.8f},
        shoulder{-12.5f, 5, 5 * depth, 0.7f}, base{12.5f, 5, 5 * depth, 0.1f};
    std::vector<FbVertex> v = {{0, -20.5f, 0, 1, 1, 1, 0.7f, 0.5f, 0.95f},
                               {0, 12.5f, 0, 0.9f, 0.9f, 0.9f, 0.7f, 0.5f, 0.05f}};
    for (int k = 0; k <= 30; ++k) {
        const double th = k * kTurn / 30;
        const float c = float(std::cos(th)), s = float(std::sin(th)), texS = float(th / kTurn);
        for (const Ring& r : {mouth, neckLow, neckTop, shoulder, base})
            v.push_back({r.rx * c, r.y, r.rz * s, 1, 1, 1, 0.7f, texS, r.t});
        v.push_back({5 * c, 12.5f, 5 * depth * s, 0.9f, 0.9f, 0.9f, 0.7f, 0.5f + 0.05f * c, 0.05f * (1 + depth * s)});
    }
    return v;
}

// Tilt as the bottle leans: about x by -vz/6 degrees, then about z by vx/6.
FbVertex tilted(FbVertex v, float vx, float vz) {
    const double a = -vz / 6 * M_PI / 180, b = vx / 6 * M_PI / 180;
    const double x1 = v.x * std::cos(b) - v.y * std::sin(b), y1 = v.x * std::sin(b) + v.y * std::cos(b);
    v.x = float(x1);
    v.y = float(y1 * std::cos(a) - v.z * std::sin(a));
    v.z = float(y1 * std::sin(a) + v.z * std::cos(a));
    return v;
}

TEST_F(RenderTest, BottleKindsHaveTheirShapeTextureAndTilt) {
    struct Case {
        int index;
        float depth, vx, vz;
    };
    for (const Case& c : {Case{PlayerBottleTexture, 0.7f, 0, 0}, Case{OtherBottleTexture, 1.0f, 0, 0},
                          Case{PlayerBottleTexture, 0.7f, 60, 0}, Case{OtherBottleTexture, 1.0f, 0, -60}}) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " vx " << c.vx << " vz " << c.vz);
        const auto got = capture(40, [&] { drawBottle(game->textures[c.index], c.index, 0, 0, 0, c.vx, c.vz, 1); });
        // 5 primitives of 32, 62, 62, 62, 32 vertices: 250 vertices, 240 triangles.
        EXPECT_EQ(got.size(), 240u * 3);
        std::vector<FbVertex> want;
        for (const FbVertex& v : expectedBottle(c.depth)) want.push_back(tilted(v, c.vx, c.vz));
        expectSameVertexSet(got, want, 2e-3f);
        if (c.vx == 0 && c.vz == 0) {  // upright: body 10 wide, 10 x depth deep
            float maxX = 0, maxZ = 0, minY = 0;
            for (const FbVertex& v : got) maxX = std::max(maxX, v.x), maxZ = std::max(maxZ, v.z), minY = std::min(minY, v.y);
            EXPECT_NEAR(maxX, 5, 1e-3);
            EXPECT_NEAR(maxZ, 5 * c.depth, 0.03);  // no ring position lies exactly at 90 degrees
            EXPECT_NEAR(minY, -20.5f, 1e-3) << "mouth down";
        }
    }
}

TEST_F(RenderTest, LeaningBottleSwingsItsMouthIntoTheMotion) {
    auto mouthCentre = [&](float vx, float vz) {
        for (const FbVertex& v : capture(40, [&] { drawBottle(game->textures[PlayerBottleTexture], PlayerBottleTexture, 0, 0, 0, vx, vz, 0); }))
            if (std::fabs(v.s - 0.5f) < 1e-4 && std::fabs(v.t - 0.95f) < 1e-4 && std::hypot(v.x, v.z) < 3.7f &&
                v.y < -19)
                return v;
        return FbVertex{};
    };
    const float reach = 20.5f * float(std::sin(10 * M_PI / 180));
    EXPECT_NEAR(mouthCentre(60, 0).x, reach, 1e-2);
    EXPECT_NEAR(mouthCentre(-60, 0).x, -reach, 1e-2);
    EXPECT_NEAR(mouthCentre(0, 60).z, reach, 1e-2);
    EXPECT_NEAR(mouthCentre(0, 0).x, 0, 1e-3);
}

TEST_F(RenderTest, BubbleIsACoilOfTwoRibbonsInTheCurrentTexture) {
    glTexCoord2f(0.25f, 0.75f);  // the bubble must keep whatever coordinate stands
    const auto got = capture(10, [&] { drawBubble(0, 0, 0, 1); });
    // Two strips of 114 vertices each.
    EXPECT_EQ(got.size(), 2u * 112 * 3);
    const float dh = 3.0f / 7 / 8;
    std::vector<FbVertex> want;
    for (int k = 0; k <= 56; ++k) {
        const double th = k * kTurn / 8;
        const float c = float(std::cos(th)), s = float(std::sin(th));
        const float edges[4][2] = {{3, k * dh}, {6, k * dh + 1}, {6, 1 + (k + 1) * dh}, {3, 2 + (k + 1) * dh}};
        for (const auto& e : edges) want.push_back({e[0] * c, e[0] * s, e[1], 0.1f, 0.1f, 0.8f, 0.8f, 0.25f, 0.75f});
    }
    expectSameVertexSet(got, want, 2e-3f);
}

TEST_F(RenderTest, PlanesAndDigitsHaveTheirCornersAndTextureCoordinates) {
    using Corners = std::vector<std::array<float, 5>>;
    auto corners = [](const Corners& list) {
        std::vector<FbVertex> v;
        for (const auto& c : list) v.push_back({c[2], c[3], c[4], 1, 1, 1, 1, c[0], c[1]});
        return v;
    };
    expectSameVertexSet(capture(20000, [&] { drawPlanes(*game); }),
                        corners(Corners{{0, 0, -7500, 0, -6000}, {1, 0, 10500, 0, -6000}, {1, 1, 10500, 0, 12000},
                                 {0, 1, -7500, 0, 12000}, {0, 0, -9000, 8000, -9000}, {1, 0, 9000, 8000, -9000},
                                 {1, 1, 9000, 8000, 9000}, {0, 1, -9000, 8000, 9000}}),
                        0.5f);
    // Score 7 is glyph 0 (column 0, top row) then glyph 7 (column 3, second row);
    // 30 is glyph 3 then glyph 0.
    struct Case {
        int score, tensCol, tensRow, unitsCol, unitsRow;
    };
    for (const Case& c : {Case{7, 0, 0, 3, 1}, Case{30, 3, 0, 0, 0}, Case{29, 2, 0, 1, 2}}) {
        SCOPED_TRACE(c.score);
        auto cell = [](float left, int col, int row) {
            const float s0 = col * 0.25f, s1 = s0 + 0.25f, t1 = 1 - row * 0.25f, t0 = t1 - 0.25f;
            return Corners{
                {s0, t0, left, -1.1f, -2}, {s1, t0, left + 0.2f, -1.1f, -2}, {s1, t1, left + 0.2f, -0.8f, -2},
                {s0, t1, left, -0.8f, -2}};
        };
        std::vector<FbVertex> want = corners(cell(1.1f, c.tensCol, c.tensRow));
        for (const FbVertex& v : corners(cell(1.3f, c.unitsCol, c.unitsRow))) want.push_back(v);
        glColor4f(1, 1, 1, 1);
        expectSameVertexSet(capture(4, [&] { drawScore(*game, 1.3f, -1.1f, c.score); }), want, 1e-3f);
    }
}

}  // namespace
