// Whole frames in the offscreen context: what lands where, blending, the
// end screen and its exit, and the GL state a frame leaves behind.

#include <algorithm>
#include <array>

#include "core/random.h"
#include "render_fixture.h"

namespace {

class FrameTest : public RenderTest {
protected:
    // One bottle (the player's, picture 1) and one bubble beside it; the
    // clock does not move, so the step changes nothing.
    void layOut(int blending) {
        seedRandom(1);
        game->settings.blending = blending;
        game->setupRound(1, 1);
        const Bottle& b = game->bottles[0];
        game->bubbles[0].setPosition(b.x + 20, b.y, b.z);
    }

    // Pixel of a point given relative to the player's bottle, seen from
    // preset 0: straight down from 50 above and 10 toward -z.
    Rgb seenFromPreset0(float dx, float dy, float dz, int* column = nullptr) {
        int px = 0, py = 0;
        project(dx, -(dz + 10), dy - 50, px, py);
        if (column) *column = px;
        return pixel(px, py);
    }

    // Pixels whose alpha is below 1: a compositor that reads the window's
    // alpha would show the desktop through them, or wrap their colours.
    int seeThroughPixels() {
        std::vector<uint8_t> alpha(kWidth * kHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        return int(std::count_if(alpha.begin(), alpha.end(), [](uint8_t a) { return a != 255; }));
    }

    // The glyph at an eye-space point, told by the font cell's colour under `tint`.
    int glyphAt(double ex, double ey, double tint) {
        int px = 0, py = 0;
        project(ex, ey, -2, px, py);
        const Rgb c = pixel(px, py);
        return int(std::lround((c.g / tint - 15) / 80) * 4 + std::lround((c.r / tint - 15) / 80));
    }
};

TEST_F(FrameTest, PlayersBottleSitsMidViewOverTheGroundWithABubbleBeside) {
    layOut(0);
    paintFrame(*game, *driver, marks);
    EXPECT_EQ(headless().swapCount, 1);
    int column = 0;
    EXPECT_RGB_NEAR(seenFromPreset0(0, 12.5f, 0, &column), (Rgb{180, 90, 45}), 2);  // base disc: picture x 0.9
    EXPECT_EQ(column, kWidth / 2);
    EXPECT_RGB_NEAR(seenFromPreset0(-12, 0, 0), kGroundColour, 2);
    EXPECT_RGB_NEAR(seenFromPreset0(12, 0, 0), kGroundColour, 2);
    // Opaque, the bubble is the sky's corner texel under its own tint
    // (0.1, 0.1, 0.8): no border colour mixed into that sample.
    const Rgb tinted{24, 20, 128};
    EXPECT_RGB_NEAR(seenFromPreset0(20, 0, 2.5f), tinted, 2);
}

// The glass, the bubbles and the digits are translucent in colour only: the
// frame is opaque, blending on or off, in play and on the end screen.
TEST_F(FrameTest, BlendingFollowsTheSettingAndTheFrameLeavesTheIdentity) {
    for (int blending : {0, 1}) {
        SCOPED_TRACE(blending);
        layOut(blending);
        renderFrame(*game);
        EXPECT_EQ(seeThroughPixels(), 0);
        EXPECT_EQ(glIsEnabled(GL_BLEND), blending ? GL_TRUE : GL_FALSE);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f);
        const Rgb base = seenFromPreset0(0, 12.5f, 0);
        if (blending) {  // translucent: some ground shows through the bottle
            EXPECT_GT(base.g, 90 + 5);
            EXPECT_LT(base.r, 180 - 5);
        } else {
            EXPECT_RGB_NEAR(base, (Rgb{180, 90, 45}), 2);
        }
    }
}

TEST_F(FrameTest, ScoreDigitsStayInTheirCellsWhateverTheCamera) {
    layOut(0);
    for (int score : {0, 7, 30}) {
        for (int preset = 0; preset < kCameraPresetCount; ++preset) {
            SCOPED_TRACE(testing::Message() << "score " << score << " preset " << preset);
            game->bottles[0].score = score;
            game->cameraIndex = preset;
            renderFrame(*game);
            EXPECT_EQ(glyphAt(1.2, -0.95, 0.2), score / 10);
            EXPECT_EQ(glyphAt(1.4, -0.95, 0.2), score % 10);
        }
    }
}

TEST_F(FrameTest, EndScreenReplacesThePlayPictureWithTheCentredPictureAndScore) {
    layOut(1);
    renderFrame(*game);
    game->bottles[0].score = 7;
    game->gameOver = 1;
    renderFrame(*game);
    // The picture spans 200 x 100 at distance 200; everything else but the digits is black.
    int left = 0, bottom = 0, right = 0, top = 0;
    project(-100, -50, -200, left, bottom);
    project(100, 50, -200, right, top);
    EXPECT_RGB_NEAR(pixel(kWidth / 2, kHeight / 2), kEndColour, 2);
    EXPECT_RGB_NEAR(pixel(left + 6, bottom + 6), kEndColour, 2);
    EXPECT_RGB_NEAR(pixel(right - 6, top - 6), kEndColour, 2);
    for (int x = 0; x < kWidth; x += 7)
        for (int y = 0; y < kHeight; y += 7) {  // right of 70 % lie the digits
            const bool inPicture = x > left - 2 && x < right + 2 && y > bottom - 2 && y < top + 2;
            const Rgb c = pixel(x, y);
            if (!inPicture && x < kWidth * 7 / 10) {
                ASSERT_EQ(c.r + c.g + c.b, 0) << x << "," << y;
            }
        }
    EXPECT_EQ(glyphAt(1.2, -0.95, 0.4 * 0.9), 0);  // additive over black, alpha 0.9
    EXPECT_EQ(glyphAt(1.4, -0.95, 0.4 * 0.9), 7);
    EXPECT_EQ(seeThroughPixels(), 0);
}

// A 5:4 view (1280 x 1024) ends short of the usual digits' right end: both
// digits still show, the units digit ending at the view's edge, in play and
// on the end screen. A 4:3 or wider view keeps the usual anchor.
TEST_F(FrameTest, AViewNarrowerThan4To3ShowsBothDigitsAtItsRightEdge) {
    EXPECT_EQ(scoreAnchorX(4.0 / 3), kScoreAnchorX);
    EXPECT_EQ(scoreAnchorX(16.0 / 9), kScoreAnchorX);
    const ViewArea area{25, 0, 750, 600};
    const double halfWidth = 2 * std::tan(M_PI / 6) * 1.25;
    layOut(0);  // opaque digits: each cell's own colour
    game->bottles[0].score = 27;
    setupViewArea(area);
    EXPECT_NEAR(scoreAnchorXInView(), halfWidth - 0.2, 1e-5);
    const auto glyphIn = [&](double ex, double tint) {
        const double f = 1 / std::tan(M_PI / 6);
        const int px = area.x + int(std::lround((f / 1.25 * ex / 2 + 1) / 2 * area.width));
        const int py = int(std::lround((f * -0.95 / 2 + 1) / 2 * area.height));
        const Rgb c = pixel(px, py);
        return int(std::lround((c.g / tint - 15) / 80) * 4 + std::lround((c.r / tint - 15) / 80));
    };
    for (int over : {0, 1}) {
        SCOPED_TRACE(over ? "end screen" : "play");
        game->gameOver = over;
        renderFrame(*game);
        const double tint = over ? 0.4 : 0.2;
        // Each digit whole: both ends of the units digit, the tens digit's left end.
        EXPECT_EQ(glyphIn(halfWidth - 0.39, tint), 2);
        EXPECT_EQ(glyphIn(halfWidth - 0.19, tint), 7);
        EXPECT_EQ(glyphIn(halfWidth - 0.01, tint), 7);
    }
}

TEST_F(FrameTest, TheStepThatLandsIsDrawnAsPlayAndTheEndScreenFollows) {
    layOut(0);
    game->bottles[0].y = 16;
    game->bottles[0].vy = 100;
    headless().advance(0.1);
    paintFrame(*game, *driver, marks);
    ASSERT_EQ(game->gameOver, 1);
    EXPECT_RGB_NEAR(seenFromPreset0(0, 12.5f, 0), (Rgb{180, 90, 45}), 2);
    EXPECT_EQ(game->endScreenTime, 0);

    const float bottleY = game->bottles[0].y;
    headless().advance(0.25);
    paintFrame(*game, *driver, marks);
    EXPECT_RGB_NEAR(pixel(kWidth / 2, kHeight / 2), kEndColour, 2);
    EXPECT_EQ(game->bottles[0].y, bottleY) << "no simulation step on the end screen";
    EXPECT_EQ(game->endScreenTime, 0.25f);
    EXPECT_EQ(headless().swapCount, 2);
}

// A window of any shape shows the game's picture undistorted, centred, with
// bars where the shapes differ; the projection's aspect is the picture's.
TEST_F(FrameTest, AnyWindowShowsThePictureInTheGamesAspectBetweenBars) {
    auto area = [](int32_t w, int32_t h, int32_t pw, int32_t ph) {
        const ViewArea a = fitPicture(w, h, pw, ph);
        return std::array<int32_t, 4>{a.x, a.y, a.width, a.height};
    };
    using Area = std::array<int32_t, 4>;
    EXPECT_EQ(area(1001, 600, 800, 600), (Area{100, 0, 800, 600}));  // wider: bars at the sides
    EXPECT_EQ(area(800, 900, 800, 600), (Area{0, 150, 800, 600}));   // taller: at the top and bottom
    EXPECT_EQ(area(1280, 1024, 1280, 1024), (Area{0, 0, 1280, 1024}));
    EXPECT_EQ(area(1920, 1080, 1280, 1024), (Area{285, 0, 1350, 1080}));  // 5:4 on a wide screen

    setupViewArea(fitPicture(1000, 600, 800, 600));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((Area{viewport[0], viewport[1], viewport[2], viewport[3]}), (Area{100, 0, 800, 600}));
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    EXPECT_NEAR(m[5] / m[0], 800.0 / 600.0, 1e-5);
}

TEST_F(FrameTest, ViewOfAZeroHeightKeepsOneRowAndAZeroWidthKeepsTheProjection) {
    auto projection = [] {
        std::array<GLfloat, 16> m{};
        glGetFloatv(GL_PROJECTION_MATRIX, m.data());
        return m;
    };
    const float f = float(1 / std::tan(M_PI / 6));
    setupView(640, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_NEAR(projection()[0], f / 640, 1e-6);
    EXPECT_NEAR(projection()[5], f, 1e-5);

    setupView(800, 600);
    const auto before = projection();
    setupView(0, 0);
    EXPECT_EQ(projection(), before);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

}  // namespace
