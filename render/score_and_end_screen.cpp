#include "render/score_and_end_screen.h"

#include <GL/gl.h>

#include <cmath>

#include "core/game.h"
#include "render/lettering.h"
#include "render/scene.h"

namespace {

constexpr float kDigitWidth = 0.2f;
constexpr float kDigitHeight = 0.3f;
constexpr float kDigitZ = -2;
constexpr double kPi = 3.14159265358979323846;

// Glyph g of the font's 4 x 4 grid, rows counted from the top (t = 1) edge,
// on a cell whose left edge is at `left`.
void drawDigit(int32_t glyph, float left, float bottom) {
    const int32_t col = glyph % 4;
    const int32_t row = glyph / 4;
    const float s0 = static_cast<float>(col) * 0.25f;
    const float s1 = static_cast<float>(col + 1) * 0.25f;
    const float t0 = 1 - static_cast<float>(row + 1) * 0.25f;
    const float t1 = 1 - static_cast<float>(row) * 0.25f;
    const float right = left + kDigitWidth;
    const float top = bottom + kDigitHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3f(left, bottom, kDigitZ);
    glTexCoord2f(s1, t0);
    glVertex3f(right, bottom, kDigitZ);
    glTexCoord2f(s1, t1);
    glVertex3f(right, top, kDigitZ);
    glTexCoord2f(s0, t1);
    glVertex3f(left, top, kDigitZ);
    glEnd();
}

}  // namespace

float scoreAnchorX(double aspect) {
    const double halfWidth = -kDigitZ * std::tan(kFieldOfView * kPi / 360.0) * aspect;
    if (kScoreAnchorX + kDigitWidth <= halfWidth) return kScoreAnchorX;
    return static_cast<float>(halfWidth) - kDigitWidth;
}

float scoreAnchorXInView() {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return kScoreAnchorX;
    return scoreAnchorX(static_cast<double>(viewport[2]) / viewport[3]);
}

void drawScore(const Game& game, float x, float y, int32_t score) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (game.settings.blending) glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, game.fontTexture.getGlName());
    // Both digits always, a leading zero too. A round has 30 bubbles, so two
    // digits hold any score; glyphs past 15 would wrap into the font's rows.
    drawDigit(score / 10, x - kDigitWidth, y);
    drawDigit(score % 10, x, y);
}

void drawEndScreen(const Game& game) {
    glDisable(GL_BLEND);
    clearFrame();
    glColor4f(1, 1, 1, 1);
    // The picture sits centred at distance 200 in eye coordinates: the
    // model-view matrix is the identity left by the last play frame.
    glBindTexture(GL_TEXTURE_2D, game.textures[EndScreenTexture].getGlName());
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-100, -50, -200);
    glTexCoord2f(1, 0);
    glVertex3f(100, -50, -200);
    glTexCoord2f(1, 1);
    glVertex3f(100, 50, -200);
    glTexCoord2f(0, 1);
    glVertex3f(-100, 50, -200);
    glEnd();
    glColor4f(0.4f, 0.4f, 1, 0.9f);
    drawScore(game, scoreAnchorXInView(), kScoreAnchorY, game.bottles[0].score);
    glFlush();
}

void drawBesideEndScore(const std::string& text) {
    // The view's measure is 1 high: this many eye units at the digits' depth.
    const double viewHeight = -2 * kDigitZ * std::tan(kFieldOfView * kPi / 360.0);
    const float right = static_cast<float>((scoreAnchorXInView() - kDigitWidth) / viewHeight) - 0.07f;
    const float middle = static_cast<float>((kScoreAnchorY + kDigitHeight / 2) / viewHeight);
    drawLettering(text, right - letteringWidth(text, kLetteringHeight) / 2, middle, kLetteringHeight, 1);
}
