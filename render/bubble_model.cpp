#include "render/bubble_model.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>


namespace {

constexpr float kSevenTurns = 43.98226f;
constexpr float kInnerRadius = 3;
constexpr float kOuterRadius = 6;
constexpr float kRise = 1;  // across the ribbon, along z

struct CoilPoint {
    float c, s;
};

// Angles summed in single precision up to seven turns: 7 x segments + 1
// positions (the last sum falls just short of the bound).
std::vector<CoilPoint> coilPoints(int32_t segments) {
    const float step = static_cast<float>(6.28318 / segments);
    std::vector<CoilPoint> coil;
    coil.reserve(7 * static_cast<size_t>(segments) + 2);
    for (float theta = 0; theta < kSevenTurns; theta += step) coil.push_back({std::cos(theta), std::sin(theta)});
    return coil;
}

// One ribbon: from radius `first` at height h to radius `second` one unit
// further along z, climbing dh per position.
void drawRibbon(const std::vector<CoilPoint>& coil, float h, float dh, float first, float second) {
    glBegin(GL_TRIANGLE_STRIP);
    for (const CoilPoint& p : coil) {
        glVertex3f(first * p.c, first * p.s, h);
        glVertex3f(second * p.c, second * p.s, h + kRise);
        h += dh;
    }
    glEnd();
}

}  // namespace

void drawBubbleMesh(int32_t segments) {
    if (segments <= 0) return;
    const std::vector<CoilPoint> coil = coilPoints(segments);
    const float dh = 0.42857143f / static_cast<float>(segments);  // 3/7 of a unit per turn
    glFrontFace(GL_CW);
    drawRibbon(coil, 0, dh, kInnerRadius, kOuterRadius);
    // The second ribbon lies on the first, dh beyond its outer edge, and
    // folds back inward.
    drawRibbon(coil, kRise + dh, dh, kOuterRadius, kInnerRadius);
}

void drawBubble(float x, float y, float z, int32_t blending) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (blending) glEnable(GL_BLEND);
    glColor4f(0.1f, 0.1f, 0.8f, 0.8f);
    glPushMatrix();
    glTranslatef(x, y, z);
    drawBubbleMesh(8);
    glPopMatrix();
}
