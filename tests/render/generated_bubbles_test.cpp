// The bubbles drawn with the game's own generated pictures, as the player
// sees them: the sky's corner colour under the bubble tint, standing out
// clearly from the ground beneath.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "assets/texture.h"
#include "core/game.h"
#include "core/random.h"
#include "render/render_frame.h"
#include "render/scene.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;
};

class GeneratedBubbles : public ::testing::Test {
protected:
    static constexpr int kWidth = 800, kHeight = 600;
    OffscreenGl gl;
    std::unique_ptr<Game> game = std::make_unique<Game>();

    void SetUp() override {
        ASSERT_TRUE(gl.open(kWidth, kHeight));
        headless().clear();
        game->usePlatform(headless().services());
        initGlState();
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(KORVADA_DATA_DIR);  // the game reads its pictures by bare name
        loadTextures(*game);
        std::filesystem::current_path(here);
        ASSERT_TRUE(headless().errors.empty());
        setupView(kWidth, kHeight);
        // One bottle and one bubble 20 units to its side, seen from straight above.
        seedRandom(1);
        game->setupRound(1, 1);
        const Bottle& b = game->bottles[0];
        game->bubbles[0].setPosition(b.x + 20, b.y, b.z);
    }

    // The sky texture's texel at texture coordinate (0, 1).
    Colour skyCorner() const {
        const Texture& sky = game->textures[SkyTexture];
        std::vector<uint8_t> image(static_cast<size_t>(sky.width) * sky.height * 3);
        glBindTexture(GL_TEXTURE_2D, sky.getGlName());
        // Rows of a multiple of 4 texels need no padding when packed.
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
        const uint8_t* p = image.data() + static_cast<size_t>(sky.width) * 3 * (sky.height - 1);
        return {double(p[0]), double(p[1]), double(p[2])};
    }

    // The pixels of a box inside the bubble's side view (6 units either
    // side of its axis, z 1..4.5), with or without the bubble drawn.
    std::vector<Colour> bubbleArea(int blending, bool drawn) {
        game->settings.blending = blending;
        game->bubbles[0].setActive(drawn ? 1 : 0);
        renderFrame(*game);
        glFinish();
        std::vector<Colour> area;
        for (float dx = 17; dx <= 23; dx += 0.5f)
            for (float dz = 1; dz <= 4.5f; dz += 0.5f) {
                const uint8_t* p = pixelAbove(dx, dz);
                area.push_back({double(p[0]), double(p[1]), double(p[2])});
            }
        return area;
    }

    static Colour mean(const std::vector<Colour>& area) {
        Colour sum;
        for (const Colour& c : area) sum.r += c.r, sum.g += c.g, sum.b += c.b;
        const double n = double(area.size());
        return {sum.r / n, sum.g / n, sum.b / n};
    }

    // The pixel of a point at the bottle's height, dx and dz from it, from
    // the default camera: 50 above, 10 toward -z, looking straight down.
    const uint8_t* pixelAbove(float dx, float dz) const {
        const double f = 1 / std::tan(M_PI / 6), aspect = double(kWidth) / kHeight, depth = 50;
        const int px = int(std::lround((f / aspect * dx / depth + 1) / 2 * kWidth));
        const int py = int(std::lround((f * -(dz + 10) / depth + 1) / 2 * kHeight));
        return gl.pixel(px, py);
    }
};

TEST_F(GeneratedBubbles, AreTheSkysCornerUnderTheBubbleTint) {
    const Colour corner = skyCorner(), tinted{corner.r * 0.1, corner.g * 0.1, corner.b * 0.8};
    const std::vector<Colour> opaque = bubbleArea(0, true);
    const Colour seen = mean(opaque);
    std::printf("sky corner %.0f %.0f %.0f x (0.1, 0.1, 0.8) = %.1f %.1f %.1f; opaque bubble %.1f %.1f %.1f\n",
                corner.r, corner.g, corner.b, tinted.r, tinted.g, tinted.b, seen.r, seen.g, seen.b);
    for (const Colour& c : opaque) {  // within the rounding of 8-bit colour
        ASSERT_NEAR(c.r, tinted.r, 1.01);
        ASSERT_NEAR(c.g, tinted.g, 1.01);
        ASSERT_NEAR(c.b, tinted.b, 1.01);
    }
}

TEST_F(GeneratedBubbles, StandOutFromTheGroundWhenBlended) {
    // Added at 0.8 of the tinted corner: blue rises by about 160 where the
    // ground shows through, red and green by about 20.
    const Colour ground = mean(bubbleArea(1, false)), bubble = mean(bubbleArea(1, true));
    const double dr = bubble.r - ground.r, dg = bubble.g - ground.g, db = bubble.b - ground.b;
    std::printf("ground %.1f %.1f %.1f; with the bubble %.1f %.1f %.1f; difference %.1f %.1f %.1f\n", ground.r,
                ground.g, ground.b, bubble.r, bubble.g, bubble.b, dr, dg, db);
    EXPECT_GT(db, 100);
    EXPECT_GT(dr, 10);
    EXPECT_GT(dg, 10);
}

}  // namespace
