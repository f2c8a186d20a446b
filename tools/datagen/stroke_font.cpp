#include "stroke_font.h"

#include "render/glyphs.h"

float textWidth(const std::string& text) { return textWidth(decodeUtf8(text)); }

void drawText(Mask& mask, const std::string& text, float left, float baselineY, float size, float thickness,
              float widthScale) {
    float penX = left;
    for (char32_t c : decodeUtf8(text)) {
        const Glyph glyph = glyphOf(c);
        for (const auto& stroke : glyph.strokes) {
            std::vector<Vec2> points;
            for (GlyphPoint p : stroke) points.push_back({penX + p.x * size * widthScale, baselineY - p.y * size});
            strokePolyline(mask, points, thickness);
        }
        penX += (glyph.advance + kGlyphSpacing) * size * widthScale;
    }
}
