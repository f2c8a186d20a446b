// The scene seen from the selected camera preset, and the view. Immediate-mode OpenGL 1.1 throughout.

#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "core/game.h"

namespace {

struct PlaneCorner {
    float s, t;
    float x, y, z;
};

// The ground is not centred on the origin; the sky is.
constexpr PlaneCorner kGround[4] = {
    {0, 0, -7500, 0, -6000}, {1, 0, 10500, 0, -6000}, {1, 1, 10500, 0, 12000}, {0, 1, -7500, 0, 12000}};
constexpr PlaneCorner kSky[4] = {
    {0, 0, -9000, 8000, -9000}, {1, 0, 9000, 8000, -9000}, {1, 1, 9000, 8000, 9000}, {0, 1, -9000, 8000, 9000}};

void drawPlane(uint32_t glName, const PlaneCorner (&corners)[4]) {
    glBindTexture(GL_TEXTURE_2D, glName);
    glBegin(GL_QUADS);
    for (const PlaneCorner& c : corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, c.z);
    }
    glEnd();
}

}  // namespace

// The eye stands at the player's bottle minus the preset's offset, turned by
// the preset's pitch about x.
void placeCamera(const Game& game) {
    const CameraPreset& p = game.cameraPresets[game.cameraIndex];
    const Bottle& b = game.bottles[0];
    glRotatef(p.pitch, 1, 0, 0);
    glTranslatef(p.x - b.x, p.y - b.y, p.z - b.z);
}

void drawPlanes(const Game& game) {
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    drawPlane(game.textures[GroundTexture].getGlName(), kGround);
    drawPlane(game.textures[SkyTexture].getGlName(), kSky);
}

void clearFrame() {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

void flatQuad(float left, float bottom, float right, float top, float z) {
    glBegin(GL_QUADS);
    glVertex3f(left, bottom, z);
    glVertex3f(right, bottom, z);
    glVertex3f(right, top, z);
    glVertex3f(left, top, z);
    glEnd();
}

void initGlState() {
    glClearColor(0, 0, 0, 1);
    glColor3f(0.4f, 0.4f, 0.8f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void setupView(int32_t width, int32_t height) {
    // A minimised window reports a width of 0: a perspective with aspect 0
    // would be singular, so the projection that stands stays until the real
    // size comes back.
    if (width <= 0) return;
    if (height <= 0) height = 1;
    setupViewArea({0, 0, width, height});
}

ViewArea fitPicture(int32_t width, int32_t height, int32_t pictureWidth, int32_t pictureHeight) {
    ViewArea area{0, 0, width, height};
    if (width <= 0 || height <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return area;
    // Cross-multiplied in 64 bits: no rounding decides which side gets the bars.
    const int64_t wide = int64_t{width} * pictureHeight, tall = int64_t{height} * pictureWidth;
    if (wide > tall)
        area.width = static_cast<int32_t>(tall / pictureHeight);
    else
        area.height = static_cast<int32_t>(wide / pictureWidth);
    area.x = (width - area.width) / 2;
    area.y = (height - area.height) / 2;
    return area;
}

void setupViewArea(const ViewArea& area) {
    if (area.width <= 0 || area.height <= 0) return;
    glViewport(area.x, area.y, area.width, area.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, static_cast<double>(area.width) / static_cast<double>(area.height), 1.0, 12000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
