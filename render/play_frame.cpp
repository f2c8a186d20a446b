#include "render/play_frame.h"

#include <GL/gl.h>

#include "core/game.h"
#include "render/bottle_model.h"
#include "render/bubble_model.h"
#include "render/scene.h"
#include "render/score_and_end_screen.h"

void drawPlayFrame(const Game& game) {
    clearFrame();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    placeCamera(game);
    drawPlanes(game);
    // Nothing may bind a texture or give a texture coordinate between the sky
    // and the bubbles: the bubbles take their tint from the sky's last corner.
    const int32_t blending = game.settings.blending;
    for (int32_t i = 0; i < game.bubbleCount; ++i) {
        const Bubble& bubble = game.bubbles[i];
        if (bubble.isActive()) drawBubble(bubble.x, bubble.y, bubble.z, blending);
    }
    for (int32_t i = 0; i < game.bottleCount; ++i) {
        const Bottle& b = game.bottles[i];
        drawBottle(game.textures[b.textureIndex], b.textureIndex, b.x, b.y, b.z, b.vx, b.vz, blending);
    }
    glPopMatrix();
    // The score stays put on screen whatever the camera does.
    glColor4f(0.2f, 0.2f, 0.5f, 0.8f);
    drawScore(game, scoreAnchorXInView(), kScoreAnchorY, game.bottles[0].score);
    glFlush();
}
