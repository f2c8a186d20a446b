#pragma once
// An offscreen context with small synthetic pictures under the game's
// texture names, and feedback capture of what a drawing emits.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "render/bottle_model.h"
#include "render/bubble_model.h"
#include "render/render_frame.h"
#include "render/scene.h"
#include "render/score_and_end_screen.h"
#include "shell/frame.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"

struct Rgb {
    int r, g, b;
};

constexpr Rgb kGroundColour{40, 160, 40};
constexpr Rgb kBottle1Colour{200, 100, 50};
constexpr Rgb kBottle2Colour{60, 60, 220};
constexpr Rgb kEndColour{220, 40, 40};
constexpr Rgb kSkyCorner{240, 200, 160};  // the texel at s = 0, t = 1
constexpr Rgb kSkyRest{0, 255, 255};

// Glyph g of the font: red tells its column, green its row from the top.
inline Rgb glyphColour(int col, int row) { return {col * 80 + 15, row * 80 + 15, 255}; }

// One vertex as feedback returns it: window position, colour, texture coordinate.
struct FbVertex {
    float x, y, z, r, g, b, a, s, t;
};

class RenderTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 800, kHeight = 600;
    OffscreenGl gl;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    std::unique_ptr<RoundDriver> driver = std::make_unique<RoundDriver>();
    ShellMarks marks;  // the shell's, beside the game

    void SetUp() override {
        ASSERT_TRUE(gl.open(kWidth, kHeight));
        headless().clear();
        game->usePlatform(headless().services());
        initGlState();
        uploadPictures();
        setupView(kWidth, kHeight);
    }

    static std::vector<uint8_t> solid(Rgb c, int texels) {
        std::vector<uint8_t> rgb;
        for (int i = 0; i < texels; ++i) rgb.insert(rgb.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
        return rgb;
    }

    // Synthetic pictures under the game's names and wrap modes, handed over
    // by the game's own upload. Widths are multiples of 4, as the game's are.
    void uploadPictures() {
        std::vector<uint8_t> sky = solid(kSkyRest, 16);  // rows bottom (t = 0) first
        const size_t corner = 12 * 3;                     // column 0 of the top row
        sky[corner] = kSkyCorner.r, sky[corner + 1] = kSkyCorner.g, sky[corner + 2] = kSkyCorner.b;
        std::vector<uint8_t> font;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const Rgb c = glyphColour(x / 16, 3 - y / 16);
                font.insert(font.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
            }
        uploadPicture(game->textures[GroundTexture], 0, 4, solid(kGroundColour, 16), GL_REPEAT);
        uploadPicture(game->textures[PlayerBottleTexture], 3, 4, solid(kBottle1Colour, 16), GL_REPEAT);
        uploadPicture(game->textures[OtherBottleTexture], 2, 4, solid(kBottle2Colour, 16), GL_REPEAT);
        uploadPicture(game->textures[SkyTexture], 5, 4, sky, GL_CLAMP, true);
        // Clamping darkens only a thin rim.
        uploadPicture(game->textures[EndScreenTexture], 6, 64, solid(kEndColour, 64 * 64), GL_CLAMP);
        uploadPicture(game->fontTexture, 4, 64, font, GL_REPEAT);
    }

    // A square picture uploaded from `rgb`, and given its corner as its
    // border as the game gives the sky; the record keeps no buffer, as the
    // pixels belong to the test.
    static void uploadPicture(Texture& texture, uint32_t name, int side, std::vector<uint8_t> rgb, GLint wrap,
                              bool cornerBorder = false) {
        texture.pixels = rgb.data();
        texture.bitsPerPixel = 24;
        texture.width = texture.height = side;
        texture.byteCount = static_cast<int32_t>(rgb.size());
        upload(texture, name, GL_LINEAR, GL_LINEAR, wrap, wrap, GL_MODULATE);
        if (cornerBorder) useCornerAsBorder(texture);
        texture.pixels = nullptr;
    }

    Rgb pixel(int x, int y) const {
        const uint8_t* p = gl.pixel(x, y);
        return {p[0], p[1], p[2]};
    }

    // Window position of an eye-space point under the game's 60-degree view.
    static void project(double ex, double ey, double ez, int& px, int& py) {
        const double f = 1 / std::tan(M_PI / 6), aspect = double(kWidth) / kHeight;
        px = int(std::lround((f / aspect * ex / -ez + 1) / 2 * kWidth));
        py = int(std::lround((f * ey / -ez + 1) / 2 * kHeight));
    }

    // Runs `draw` in feedback mode under an orthographic box of half-size
    // `extent` on a 200 x 200 viewport, and maps every returned vertex back
    // to model coordinates. Vertices come in threes, one triangle each.
    std::vector<FbVertex> capture(float extent, const std::function<void()>& draw) {
        std::vector<GLfloat> buffer(1 << 20);
        glViewport(0, 0, 200, 200);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-extent, extent, -extent, extent, -extent, extent);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        std::vector<FbVertex> out;
        for (GLint i = 0; i < used;) {
            EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
            if (buffer[i] != GL_POLYGON_TOKEN) break;
            const int n = int(buffer[i + 1]);
            EXPECT_EQ(n, 3);
            i += 2;
            for (int v = 0; v < n; ++v, i += 11) {
                const GLfloat* f = &buffer[i];
                out.push_back({(f[0] / 100 - 1) * extent, (f[1] / 100 - 1) * extent, (1 - 2 * f[2]) * extent, f[3],
                               f[4], f[5], f[6], f[7], f[8]});
            }
        }
        return out;
    }
};

// Every vertex of `got` is within `tol` of one in `want` and the other way
// round, position, colour and texture coordinate alike.
inline bool sameVertex(const FbVertex& a, const FbVertex& b, float tol) {
    const float d[] = {a.x - b.x, a.y - b.y, a.z - b.z, a.r - b.r, a.g - b.g, a.b - b.b, a.a - b.a, a.s - b.s, a.t - b.t};
    for (float v : d)
        if (std::fabs(v) > tol) return false;
    return true;
}

inline void expectSameVertexSet(const std::vector<FbVertex>& got, const std::vector<FbVertex>& want, float tol) {
    auto missing = [tol](const std::vector<FbVertex>& from, const std::vector<FbVertex>& in) {
        int count = 0;
        for (const FbVertex& v : from) {
            bool found = false;
            for (const FbVertex& w : in) found = found || sameVertex(v, w, tol);
            count += !found;
        }
        return count;
    };
    EXPECT_EQ(missing(got, want), 0) << "emitted vertices that should not be there";
    EXPECT_EQ(missing(want, got), 0) << "expected vertices that were not emitted";
}

#define EXPECT_RGB_NEAR(got, want, tol)                \
    do {                                               \
        const Rgb g_ = (got), w_ = (want);             \
        EXPECT_NEAR(g_.r, w_.r, tol) << "red";         \
        EXPECT_NEAR(g_.g, w_.g, tol) << "green";       \
        EXPECT_NEAR(g_.b, w_.b, tol) << "blue";        \
    } while (0)
