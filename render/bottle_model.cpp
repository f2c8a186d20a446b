#include "render/bottle_model.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kTurn = 6.28318f;
constexpr float kTurnToS = 0.15915507f;  // s runs 0..1 once around
constexpr float kMouthY = -20.5f;
constexpr float kNeckTopY = -15.5f;
constexpr float kShoulderY = -12.5f;
constexpr float kBaseY = 12.5f;
constexpr float kNeckRadius = 2;
constexpr float kBodyRadius = 5;

struct RingPoint {
    float c, s;    // cosine and sine of the angle
    float texS;    // horizontal texture coordinate
};

// segments + 1 positions: the last closes the ring on the first, with s = 1
// so the picture's seam meets itself. Angles are summed in single precision.
std::vector<RingPoint> ringPoints(int32_t segments) {
    std::vector<RingPoint> ring;
    const float step = kTurn / static_cast<float>(segments);
    ring.reserve(static_cast<size_t>(segments) + 2);
    for (float theta = 0; theta < kTurn + step / 2; theta += step)
        ring.push_back({std::cos(theta), std::sin(theta), theta * kTurnToS});
    return ring;
}

void vertex(float s, float t, float x, float y, float z) {
    glTexCoord2f(s, t);
    glVertex3f(x, y, z);
}

// One elliptic cross-section of the bottle, with the picture's row t on it.
struct Ring {
    float t;
    float y;
    float radiusX, radiusZ;
};

// A band between two rings: one strip, `first` ring's vertex before the
// other's at every position.
void drawBand(const std::vector<RingPoint>& ring, Ring first, Ring second) {
    glBegin(GL_TRIANGLE_STRIP);
    for (const RingPoint& p : ring) {
        vertex(p.texS, first.t, first.radiusX * p.c, first.y, first.radiusZ * p.s);
        vertex(p.texS, second.t, second.radiusX * p.c, second.y, second.radiusZ * p.s);
    }
    glEnd();
}

}  // namespace

void drawBottleMesh(int32_t segments, float depthScale) {
    if (segments <= 0) return;
    const std::vector<RingPoint> ring = ringPoints(segments);
    const float bodyDepth = kBodyRadius * depthScale;

    glFrontFace(GL_CW);

    glBegin(GL_TRIANGLE_FAN);  // mouth disc
    vertex(0.5f, 0.95f, 0, kMouthY, 0);
    for (const RingPoint& p : ring) vertex(p.texS, 1, kNeckRadius * p.c, kMouthY, kNeckRadius * p.s);
    glEnd();

    // The same ring carries a different row of the picture in each band it bounds.
    const Ring neckTop{0.8f, kNeckTopY, kNeckRadius, kNeckRadius};
    const Ring shoulder{0.7f, kShoulderY, kBodyRadius, bodyDepth};
    drawBand(ring, neckTop, {0.95f, kMouthY, kNeckRadius, kNeckRadius});  // neck
    drawBand(ring, shoulder, neckTop);                                     // shoulder
    drawBand(ring, shoulder, {0.1f, kBaseY, kBodyRadius, bodyDepth});      // body

    // The base samples a small ellipse near the bottom edge of the picture.
    glColor4f(0.9f, 0.9f, 0.9f, 0.7f);
    glBegin(GL_TRIANGLE_FAN);
    vertex(0.5f, 0.05f, 0, kBaseY, 0);
    for (const RingPoint& p : ring)
        vertex(0.5f + 0.05f * p.c, 0.05f * (1 + depthScale * p.s), kBodyRadius * p.c, kBaseY, bodyDepth * p.s);
    glEnd();
}

void drawBottle(Texture texture, int32_t textureIndex, float x, float y, float z, float vx, float vz, int32_t blending) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (blending) glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture.getGlName());
    glColor4f(1, 1, 1, 0.7f);
    glPushMatrix();
    glTranslatef(x, y, z);
    // Leans into its sideways motion: 10 degrees at the speed limit of 60.
    glRotatef(-(vz / 60 * 10), 1, 0, 0);
    glRotatef(vx / 60 * 10, 0, 0, 1);
    if (textureIndex == PlayerBottleTexture) drawBottleMesh(30, 0.7f);
    if (textureIndex == OtherBottleTexture) drawBottleMesh(30, 1.0f);
    glPopMatrix();
}
