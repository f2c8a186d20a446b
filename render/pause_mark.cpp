// The paused picture: the play frame under a dark veil, and the pause mark,
// two upright bars in the middle of the view. No text, so no language.

#include "render/pause_mark.h"

#include <GL/gl.h>

#include "render/play_frame.h"
#include "render/scene.h"

namespace {
// The veil lets this much of the picture through.
constexpr float kVeilAlpha = 0.5f;
// Eye coordinates at the digits' depth, where the view is about 2.3 high.
constexpr float kMarkZ = -2;
constexpr float kBarWidth = 0.1f;
constexpr float kBarHeight = 0.4f;
constexpr float kBarGap = 0.1f;
}  // namespace

void drawPausedFrame(const Game& game) {
    drawPlayFrame(game);
    // Flat colour over everything: no texture, no depth test, blended
    // whatever the blending setting, which is about the round's things.
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, kVeilAlpha);
    flatQuad(-100, -100, 100, 100, kMarkZ);  // wider than any view at this depth
    glDisable(GL_BLEND);
    glColor4f(0.95f, 0.95f, 0.95f, 1);
    const float half = kBarHeight / 2;
    flatQuad(-kBarGap / 2 - kBarWidth, -half, -kBarGap / 2, half, kMarkZ);
    flatQuad(kBarGap / 2, -half, kBarGap / 2 + kBarWidth, half, kMarkZ);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glFlush();
}
