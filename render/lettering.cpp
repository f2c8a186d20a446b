#include "render/lettering.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "render/glyphs.h"
#include "render/scene.h"

namespace {

constexpr float kStroke = 0.14f;  // a stroke's width, in capitals' heights
constexpr float kBandMargin = 0.45f;
constexpr float kBandAlpha = 0.6f;
// The ink lies nearer than the band, and each of its pixels is blended once:
// where strokes overlap (their round ends, a letter's joints) a fading line
// would show brighter seams.
constexpr float kBandZ = 0, kInkZ = 0.5f;
constexpr int kRoundSteps = 12;

// Asked by the names WebGL knows too (GL 1.4's): GL 1.1's GL_BLEND_SRC is
// not one of them.
constexpr GLenum kBlendSrcRgb = 0x80C9, kBlendDstRgb = 0x80C8;

struct SavedState {
    GLboolean blend, depthTest, depthMask;
    GLint depthFunc = GL_LESS, blendSrc = GL_SRC_ALPHA, blendDst = GL_ONE_MINUS_SRC_ALPHA;
};

SavedState saveState() {
    SavedState s{glIsEnabled(GL_BLEND), glIsEnabled(GL_DEPTH_TEST), GL_TRUE};
    glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
    glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
    glGetIntegerv(kBlendSrcRgb, &s.blendSrc);
    glGetIntegerv(kBlendDstRgb, &s.blendDst);
    return s;
}

void enable(GLenum capability, GLboolean on) { on ? glEnable(capability) : glDisable(capability); }

void restoreState(const SavedState& s) {
    enable(GL_BLEND, s.blend);
    enable(GL_DEPTH_TEST, s.depthTest);
    // Texturing is on between drawings (initGlState), and the page's OpenGL
    // emulation answers no question about it (glIsEnabled says off).
    glEnable(GL_TEXTURE_2D);
    glDepthMask(s.depthMask);
    glDepthFunc(static_cast<GLenum>(s.depthFunc));
    glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
}

void roundEnd(GlyphPoint c, float r) {
    for (int i = 0; i < kRoundSteps; ++i) {
        const float a0 = 6.2831853f * static_cast<float>(i) / kRoundSteps;
        const float a1 = 6.2831853f * static_cast<float>(i + 1) / kRoundSteps;
        glVertex3f(c.x, c.y, kInkZ);
        glVertex3f(c.x + r * std::cos(a0), c.y + r * std::sin(a0), kInkZ);
        glVertex3f(c.x + r * std::cos(a1), c.y + r * std::sin(a1), kInkZ);
    }
}

// A polyline `r` thick each side: a quad for each piece, and a round disc at
// its ends and where it turns sharply (a curve's gentle turns need none).
void drawStroke(const std::vector<GlyphPoint>& points, float r) {
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < points.size(); ++i) {
        const GlyphPoint a = points[i];
        bool corner = i == 0 || i + 1 == points.size();
        if (i + 1 < points.size()) {
            const GlyphPoint b = points[i + 1];
            const float dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
            if (length > 0) {
                const float nx = -dy / length * r, ny = dx / length * r;
                glVertex3f(a.x + nx, a.y + ny, kInkZ);
                glVertex3f(b.x + nx, b.y + ny, kInkZ);
                glVertex3f(b.x - nx, b.y - ny, kInkZ);
                glVertex3f(a.x + nx, a.y + ny, kInkZ);
                glVertex3f(b.x - nx, b.y - ny, kInkZ);
                glVertex3f(a.x - nx, a.y - ny, kInkZ);
            }
            if (i > 0) {
                const GlyphPoint p = points[i - 1];
                const float ux = a.x - p.x, uy = a.y - p.y;
                const float turn = (ux * dx + uy * dy) / (std::hypot(ux, uy) * length + 1e-9f);
                corner = corner || turn < 0.95f;
            }
        }
        if (corner) roundEnd(a, r);
    }
    glEnd();
}

}  // namespace

float letteringWidth(const std::string& text, float height) { return textWidth(decodeUtf8(text)) * height; }

void drawLettering(const std::string& text, float x, float y, float height, float opacity) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (opacity <= 0 || text.empty() || viewport[2] <= 0 || viewport[3] <= 0) return;
    const std::u32string codes = decodeUtf8(text);
    const SavedState saved = saveState();
    const double halfWidth = 0.5 * viewport[2] / viewport[3];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -0.5, 0.5, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    const float left = x - textWidth(codes) * height / 2, baseline = y - height / 2;
    const float margin = kBandMargin * height;
    glDepthFunc(GL_ALWAYS);
    glColor4f(0.02f, 0.03f, 0.08f, kBandAlpha * opacity);
    flatQuad(left - 2 * margin, baseline + kGlyphBottom * height - margin, 2 * x - left + 2 * margin,
             baseline + kGlyphTop * height + margin, kBandZ);

    glDepthFunc(GL_LESS);
    glColor4f(1, 0.97f, 0.88f, opacity);
    float pen = left;
    for (char32_t c : codes) {
        const Glyph glyph = glyphOf(c);
        for (const auto& stroke : glyph.strokes) {
            std::vector<GlyphPoint> points;
            for (GlyphPoint p : stroke) points.push_back({pen + p.x * height, baseline + p.y * height});
            drawStroke(points, kStroke * height / 2);
        }
        pen += (glyph.advance + kGlyphSpacing) * height;
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    restoreState(saved);
    glFlush();
}
