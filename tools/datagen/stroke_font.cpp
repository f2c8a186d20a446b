#include "stroke_font.h"

#include <cmath>

namespace {

constexpr float kLetterSpacing = 0.18f;
constexpr float kDegrees = 3.14159265f / 180.0f;

std::vector<Vec2> line(std::initializer_list<Vec2> points) { return std::vector<Vec2>(points); }

// An elliptic arc from angle a0 to a1 in degrees (counter-clockwise when
// a1 > a0, 0 pointing right), as a fine polyline.
std::vector<Vec2> arc(float cx, float cy, float rx, float ry, float a0, float a1) {
    std::vector<Vec2> points;
    int steps = static_cast<int>(std::fabs(a1 - a0) / 6.0f) + 2;
    for (int i = 0; i <= steps; ++i) {
        float a = (a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps)) * kDegrees;
        points.push_back({cx + rx * cosine(a), cy + ry * sine(a)});
    }
    return points;
}

std::vector<Vec2> ellipse(float cx, float cy, float rx, float ry) { return arc(cx, cy, rx, ry, 0, 360); }

// Appends `tail` to `head`, so a curve and a straight part make one stroke.
std::vector<Vec2> join(std::vector<Vec2> head, const std::vector<Vec2>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Glyph digit(char c) {
    switch (c) {
        case '0': return {0.6f, {ellipse(0.3f, 0.5f, 0.28f, 0.48f)}};
        case '1': return {0.6f, {line({{0.1f, 0.78f}, {0.36f, 0.98f}, {0.36f, 0.02f}})}};
        case '2':
            return {0.6f, {join(arc(0.29f, 0.7f, 0.26f, 0.27f, 160, -35), line({{0.03f, 0.02f}, {0.58f, 0.02f}}))}};
        case '3':
            return {0.6f, {join(arc(0.28f, 0.75f, 0.24f, 0.23f, 150, -90), arc(0.28f, 0.27f, 0.29f, 0.25f, 90, -150))}};
        case '4': return {0.6f, {line({{0.46f, 0.02f}, {0.46f, 0.98f}, {0.02f, 0.3f}, {0.6f, 0.3f}})}};
        case '5':
            return {0.6f,
                    {join(line({{0.54f, 0.98f}, {0.1f, 0.98f}, {0.06f, 0.56f}}), arc(0.3f, 0.31f, 0.28f, 0.29f, 135, -150))}};
        case '6':
            return {0.6f, {ellipse(0.31f, 0.29f, 0.27f, 0.27f), arc(0.42f, 0.45f, 0.38f, 0.53f, 75, 200)}};
        case '7': return {0.6f, {line({{0.02f, 0.98f}, {0.58f, 0.98f}, {0.2f, 0.02f}})}};
        case '8': return {0.6f, {ellipse(0.3f, 0.76f, 0.21f, 0.22f), ellipse(0.3f, 0.28f, 0.27f, 0.27f)}};
        case '9':
            return {0.6f, {ellipse(0.29f, 0.71f, 0.27f, 0.27f), arc(0.18f, 0.55f, 0.38f, 0.53f, -105, 20)}};
        default: return {};
    }
}

Glyph letter(char c) {
    switch (c) {
        case 'K':
            return {0.62f, {line({{0.03f, 0.0f}, {0.03f, 1.0f}}), line({{0.58f, 1.0f}, {0.05f, 0.42f}}),
                            line({{0.22f, 0.6f}, {0.6f, 0.0f}})}};
        case 'o': return {0.6f, {ellipse(0.3f, 0.31f, 0.28f, 0.3f)}};
        case 'n':
            return {0.58f, {line({{0.03f, 0.0f}, {0.03f, 0.62f}}),
                            join(arc(0.29f, 0.36f, 0.26f, 0.24f, 180, 0), line({{0.55f, 0.0f}}))}};
        case 'h':
            return {0.58f, {line({{0.03f, 0.0f}, {0.03f, 1.0f}}),
                            join(arc(0.29f, 0.36f, 0.26f, 0.24f, 180, 0), line({{0.55f, 0.0f}}))}};
        case 'e':
            return {0.6f, {join(line({{0.03f, 0.32f}, {0.57f, 0.32f}}), arc(0.3f, 0.31f, 0.27f, 0.3f, 0, 318))}};
        case 'c': return {0.56f, {arc(0.3f, 0.31f, 0.27f, 0.3f, 42, 318)}};
        case 'r':
            return {0.42f, {line({{0.03f, 0.0f}, {0.03f, 0.62f}}), arc(0.3f, 0.36f, 0.27f, 0.24f, 180, 80)}};
        case 'y':
            return {0.58f, {line({{0.02f, 0.62f}, {0.3f, 0.04f}}),
                            line({{0.58f, 0.62f}, {0.22f, -0.26f}, {0.16f, -0.34f}, {0.04f, -0.36f}})}};
        case ' ': return {0.3f, {}};
        default: return {};
    }
}

}  // namespace

Glyph glyphFor(char c) { return (c >= '0' && c <= '9') ? digit(c) : letter(c); }

float textWidth(const std::string& text) {
    float width = 0;
    for (char c : text) width += glyphFor(c).advance + kLetterSpacing;
    return text.empty() ? 0 : width - kLetterSpacing;
}

void drawText(Mask& mask, const std::string& text, float left, float baselineY, float size, float thickness,
              float widthScale) {
    float penX = left;
    for (char c : text) {
        Glyph glyph = glyphFor(c);
        for (const auto& stroke : glyph.strokes) {
            std::vector<Vec2> points;
            for (Vec2 p : stroke) points.push_back({penX + p.x * size * widthScale, baselineY - p.y * size});
            strokePolyline(mask, points, thickness);
        }
        penX += (glyph.advance + kLetterSpacing) * size * widthScale;
    }
}
