#include "render/glyphs.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;
using Stroke = std::vector<GlyphPoint>;

// Taken in double precision and rounded once, so that every C library makes
// the same points (the generated pictures are pinned byte for byte).
float sine(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float cosine(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

Stroke line(std::initializer_list<GlyphPoint> points) { return Stroke(points); }
Stroke dot(float x, float y) { return {{x, y}, {x, y}}; }

// An elliptic arc from angle a0 to a1 in degrees (counter-clockwise when
// a1 > a0, 0 pointing right), as a fine polyline.
Stroke arc(float cx, float cy, float rx, float ry, float a0, float a1) {
    Stroke points;
    int steps = static_cast<int>(std::fabs(a1 - a0) / 6.0f) + 2;
    for (int i = 0; i <= steps; ++i) {
        float a = (a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps)) * kDegrees;
        points.push_back({cx + rx * cosine(a), cy + ry * sine(a)});
    }
    return points;
}

Stroke ellipse(float cx, float cy, float rx, float ry) { return arc(cx, cy, rx, ry, 0, 360); }

// Appends `tail` to `head`, so a curve and a straight line make one stroke.
Stroke join(Stroke head, const Stroke& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Glyph digit(char32_t c) {
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

// A small letter's stem up to the x-height, and the bowl most of them share.
Stroke stem(float x, float top = 0.62f, float bottom = 0) { return line({{x, bottom}, {x, top}}); }
Stroke bowl(float cx) { return ellipse(cx, 0.31f, 0.27f, 0.3f); }
Stroke hump(float left, float right) {
    const float r = (right - left) / 2;
    return join(arc(left + r, 0.36f, r, 0.24f, 180, 0), line({{right, 0.0f}}));
}

Glyph small(char32_t c) {
    switch (c) {
        // The letters of the end screen's title, drawn as they always were.
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
        // The rest.
        case 'a': return {0.6f, {ellipse(0.28f, 0.31f, 0.25f, 0.3f), stem(0.55f)}};
        case 'b': return {0.6f, {stem(0.03f, 1), bowl(0.3f)}};
        case 'd': return {0.6f, {bowl(0.28f), stem(0.57f, 1)}};
        case 'f':
            return {0.42f, {join(arc(0.32f, 0.84f, 0.16f, 0.16f, 30, 180), line({{0.16f, 0.0f}})),
                            line({{0.0f, 0.6f}, {0.36f, 0.6f}})}};
        case 'g':
            return {0.6f, {bowl(0.28f), join(line({{0.55f, 0.62f}, {0.55f, -0.14f}}),
                                             arc(0.29f, -0.14f, 0.26f, 0.22f, 0, -150))}};
        case 'i': return {0.16f, {stem(0.08f), dot(0.08f, 0.87f)}};
        case 0x131: return {0.16f, {stem(0.08f)}};  // dotless, for the acute of í
        case 'j':
            return {0.3f, {join(line({{0.2f, 0.62f}, {0.2f, -0.2f}}), arc(0.04f, -0.2f, 0.16f, 0.16f, 0, -120)),
                           dot(0.2f, 0.87f)}};
        case 'k':
            return {0.55f,
                    {stem(0.03f, 1), line({{0.5f, 0.62f}, {0.05f, 0.24f}}), line({{0.2f, 0.36f}, {0.52f, 0.0f}})}};
        case 'l': return {0.16f, {stem(0.08f, 1)}};
        case 'm': return {0.74f, {stem(0.03f), hump(0.03f, 0.38f), hump(0.38f, 0.73f)}};
        case 'p': return {0.6f, {stem(0.03f, 0.62f, -0.36f), bowl(0.3f)}};
        case 'q': return {0.6f, {bowl(0.28f), stem(0.57f, 0.62f, -0.36f)}};
        case 's':
            return {0.56f,
                    {join(arc(0.28f, 0.465f, 0.23f, 0.155f, 30, 270), arc(0.28f, 0.155f, 0.25f, 0.155f, 90, -150))}};
        case 't':
            return {0.42f, {join(line({{0.16f, 0.9f}, {0.16f, 0.12f}}), arc(0.3f, 0.12f, 0.14f, 0.12f, 180, 300)),
                            line({{0.0f, 0.62f}, {0.38f, 0.62f}})}};
        case 'u':
            return {0.58f, {join(line({{0.03f, 0.62f}, {0.03f, 0.26f}}), arc(0.29f, 0.26f, 0.26f, 0.26f, 180, 360)),
                            stem(0.55f)}};
        case 'v': return {0.58f, {line({{0.02f, 0.62f}, {0.29f, 0.0f}, {0.56f, 0.62f}})}};
        case 'w': return {0.78f, {line({{0.02f, 0.62f}, {0.2f, 0.0f}, {0.39f, 0.5f}, {0.58f, 0.0f}, {0.76f, 0.62f}})}};
        case 'x': return {0.56f, {line({{0.03f, 0.62f}, {0.53f, 0.0f}}), line({{0.53f, 0.62f}, {0.03f, 0.0f}})}};
        case 'z': return {0.56f, {line({{0.04f, 0.62f}, {0.52f, 0.62f}, {0.04f, 0.0f}, {0.54f, 0.0f}})}};
        default: return {};
    }
}

// P's and R's bowl, from the stem's top round to its middle.
Stroke capitalBowl() {
    return join(join(line({{0.05f, 0.0f}, {0.05f, 1.0f}, {0.32f, 1.0f}}), arc(0.32f, 0.74f, 0.26f, 0.26f, 90, -90)),
                line({{0.05f, 0.48f}}));
}

Glyph capital(char32_t c) {
    switch (c) {
        case 'K':
            return {0.62f, {line({{0.03f, 0.0f}, {0.03f, 1.0f}}), line({{0.58f, 1.0f}, {0.05f, 0.42f}}),
                            line({{0.22f, 0.6f}, {0.6f, 0.0f}})}};
        case 'A':
            return {0.7f, {line({{0.02f, 0.0f}, {0.35f, 1.0f}, {0.68f, 0.0f}}),
                           line({{0.14f, 0.36f}, {0.56f, 0.36f}})}};
        case 'B':
            return {0.64f, {join(join(line({{0.05f, 0.0f}, {0.05f, 1.0f}, {0.3f, 1.0f}}),
                                      arc(0.3f, 0.77f, 0.23f, 0.23f, 90, -90)),
                                 line({{0.05f, 0.54f}})),
                            join(join(line({{0.05f, 0.54f}, {0.33f, 0.54f}}), arc(0.33f, 0.27f, 0.27f, 0.27f, 90, -90)),
                                 line({{0.05f, 0.0f}}))}};
        case 'C': return {0.7f, {arc(0.38f, 0.5f, 0.36f, 0.5f, 45, 315)}};
        case 'D':
            return {0.72f, {join(join(line({{0.3f, 0.0f}, {0.05f, 0.0f}, {0.05f, 1.0f}, {0.3f, 1.0f}}),
                                      arc(0.3f, 0.5f, 0.38f, 0.5f, 90, -90)), line({{0.3f, 0.0f}}))}};
        case 'E':
            return {0.6f, {line({{0.55f, 1.0f}, {0.05f, 1.0f}, {0.05f, 0.0f}, {0.55f, 0.0f}}),
                           line({{0.05f, 0.52f}, {0.45f, 0.52f}})}};
        case 'F':
            return {0.58f, {line({{0.55f, 1.0f}, {0.05f, 1.0f}, {0.05f, 0.0f}}),
                            line({{0.05f, 0.52f}, {0.45f, 0.52f}})}};
        case 'G':
            return {0.76f, {join(arc(0.38f, 0.5f, 0.36f, 0.5f, 50, 345), line({{0.74f, 0.46f}, {0.44f, 0.46f}}))}};
        case 'H':
            return {0.66f, {line({{0.05f, 0.0f}, {0.05f, 1.0f}}), line({{0.61f, 0.0f}, {0.61f, 1.0f}}),
                            line({{0.05f, 0.52f}, {0.61f, 0.52f}})}};
        case 'I': return {0.16f, {line({{0.08f, 0.0f}, {0.08f, 1.0f}})}};
        case 'J':
            return {0.52f, {join(line({{0.45f, 1.0f}, {0.45f, 0.28f}}), arc(0.24f, 0.28f, 0.21f, 0.28f, 0, -180))}};
        case 'L': return {0.55f, {line({{0.05f, 1.0f}, {0.05f, 0.0f}, {0.52f, 0.0f}})}};
        case 'M': return {0.8f, {line({{0.05f, 0.0f}, {0.05f, 1.0f}, {0.4f, 0.3f}, {0.75f, 1.0f}, {0.75f, 0.0f}})}};
        case 'N': return {0.68f, {line({{0.05f, 0.0f}, {0.05f, 1.0f}, {0.63f, 0.0f}, {0.63f, 1.0f}})}};
        case 'O': return {0.8f, {ellipse(0.4f, 0.5f, 0.38f, 0.5f)}};
        case 'P': return {0.62f, {capitalBowl()}};
        case 'Q': return {0.82f, {ellipse(0.4f, 0.5f, 0.38f, 0.5f), line({{0.5f, 0.22f}, {0.8f, -0.05f}})}};
        case 'R': return {0.64f, {capitalBowl(), line({{0.3f, 0.48f}, {0.6f, 0.0f}})}};
        case 'S':
            return {0.62f, {join(arc(0.31f, 0.75f, 0.27f, 0.25f, 30, 270), arc(0.31f, 0.25f, 0.29f, 0.25f, 90, -150))}};
        case 'T': return {0.62f, {line({{0.0f, 1.0f}, {0.62f, 1.0f}}), line({{0.31f, 1.0f}, {0.31f, 0.0f}})}};
        case 'U':
            return {0.68f, {join(join(line({{0.05f, 1.0f}, {0.05f, 0.34f}}), arc(0.34f, 0.34f, 0.29f, 0.34f, 180, 360)),
                                 line({{0.63f, 1.0f}}))}};
        case 'V': return {0.68f, {line({{0.02f, 1.0f}, {0.34f, 0.0f}, {0.66f, 1.0f}})}};
        case 'W': return {0.94f, {line({{0.02f, 1.0f}, {0.24f, 0.0f}, {0.47f, 0.75f}, {0.7f, 0.0f}, {0.92f, 1.0f}})}};
        case 'X': return {0.66f, {line({{0.03f, 1.0f}, {0.63f, 0.0f}}), line({{0.63f, 1.0f}, {0.03f, 0.0f}})}};
        case 'Y':
            return {0.66f, {line({{0.02f, 1.0f}, {0.33f, 0.5f}, {0.64f, 1.0f}}), line({{0.33f, 0.5f}, {0.33f, 0.0f}})}};
        case 'Z': return {0.66f, {line({{0.04f, 1.0f}, {0.6f, 1.0f}, {0.04f, 0.0f}, {0.62f, 0.0f}})}};
        default: return {};
    }
}

Glyph punctuation(char32_t c) {
    switch (c) {
        case ' ': return {0.3f, {}};
        case '.': return {0.16f, {dot(0.08f, 0.03f)}};
        case ',': return {0.16f, {line({{0.1f, 0.06f}, {0.03f, -0.16f}})}};
        case ':': return {0.16f, {dot(0.08f, 0.03f), dot(0.08f, 0.5f)}};
        case ';': return {0.16f, {dot(0.1f, 0.5f), line({{0.1f, 0.06f}, {0.03f, -0.16f}})}};
        case '!': return {0.16f, {line({{0.08f, 1.0f}, {0.08f, 0.3f}}), dot(0.08f, 0.03f)}};
        case '?':
            return {0.52f, {join(arc(0.26f, 0.74f, 0.24f, 0.24f, 160, -60), line({{0.26f, 0.42f}, {0.26f, 0.3f}})),
                            dot(0.26f, 0.03f)}};
        case '-': return {0.38f, {line({{0.04f, 0.36f}, {0.34f, 0.36f}})}};
        case 0x2013: return {0.58f, {line({{0.02f, 0.36f}, {0.56f, 0.36f}})}};  // –
        case '\'': return {0.16f, {line({{0.08f, 1.0f}, {0.08f, 0.72f}})}};
        case '(': return {0.32f, {arc(0.4f, 0.4f, 0.34f, 0.7f, 110, 250)}};
        case ')': return {0.32f, {arc(-0.1f, 0.4f, 0.34f, 0.7f, 70, -70)}};
        case '/': return {0.4f, {line({{0.0f, -0.1f}, {0.4f, 1.05f}})}};
        default: return {};
    }
}

// Czech letters: a base letter and a mark over it (ď and ť take theirs
// beside the stem, as Czech writes them).
enum class Mark { Acute, Caron, Ring, Apostrophe };
struct Marked {
    char32_t code, base;
    Mark mark;
};
constexpr Marked kMarked[] = {
    {0xE1, 'a', Mark::Acute},  {0xE9, 'e', Mark::Acute},  {0xED, 0x131, Mark::Acute}, {0xF3, 'o', Mark::Acute},
    {0xFA, 'u', Mark::Acute},  {0xFD, 'y', Mark::Acute},  {0x10D, 'c', Mark::Caron},  {0x11B, 'e', Mark::Caron},
    {0x148, 'n', Mark::Caron}, {0x159, 'r', Mark::Caron}, {0x161, 's', Mark::Caron},  {0x17E, 'z', Mark::Caron},
    {0x16F, 'u', Mark::Ring},  {0x10F, 'd', Mark::Apostrophe}, {0x165, 't', Mark::Apostrophe},
    {0xC1, 'A', Mark::Acute},  {0xC9, 'E', Mark::Acute},  {0xCD, 'I', Mark::Acute},   {0xD3, 'O', Mark::Acute},
    {0xDA, 'U', Mark::Acute},  {0xDD, 'Y', Mark::Acute},  {0x10C, 'C', Mark::Caron},  {0x10E, 'D', Mark::Caron},
    {0x11A, 'E', Mark::Caron}, {0x147, 'N', Mark::Caron}, {0x158, 'R', Mark::Caron},  {0x160, 'S', Mark::Caron},
    {0x164, 'T', Mark::Caron}, {0x17D, 'Z', Mark::Caron}, {0x16E, 'U', Mark::Ring},
};

Glyph plain(char32_t c) {
    if (c >= '0' && c <= '9') return digit(c);
    if (c >= 'A' && c <= 'Z') return capital(c);
    Glyph glyph = small(c);
    return glyph.advance > 0 ? glyph : punctuation(c);
}

Glyph marked(const Marked& m) {
    Glyph glyph = plain(m.base);
    const float x = glyph.advance / 2, y = m.base >= 'A' && m.base <= 'Z' ? 1.13f : 0.74f;
    switch (m.mark) {
        case Mark::Acute: glyph.strokes.push_back(line({{x - 0.05f, y}, {x + 0.1f, y + 0.18f}})); break;
        case Mark::Caron:
            glyph.strokes.push_back(line({{x - 0.13f, y + 0.17f}, {x, y}, {x + 0.13f, y + 0.17f}}));
            break;
        case Mark::Ring: glyph.strokes.push_back(ellipse(x, y + 0.1f, 0.09f, 0.09f)); break;
        case Mark::Apostrophe: {
            const float side = m.base == 'd' ? 0.74f : 0.33f;  // just right of the stem
            glyph.strokes.push_back(line({{side + 0.02f, 1.0f}, {side - 0.02f, 0.8f}}));
            if (glyph.advance < side + 0.06f) glyph.advance = side + 0.06f;
            break;
        }
    }
    return glyph;
}

}  // namespace

bool hasGlyph(char32_t c) {
    for (const Marked& m : kMarked)
        if (m.code == c) return true;
    return plain(c).advance > 0;
}

Glyph glyphOf(char32_t c) {
    for (const Marked& m : kMarked)
        if (m.code == c) return marked(m);
    const Glyph glyph = plain(c);
    return glyph.advance > 0 ? glyph : punctuation(' ');
}

std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : byte >= 0xC2 && byte < 0xE0 ? 2 : byte >= 0xE0 && byte < 0xF0 ? 3
                           : byte >= 0xF0 && byte < 0xF5 ? 4 : 0;
        char32_t c = length == 1 ? byte : length == 2 ? byte & 0x1F : length == 3 ? byte & 0x0F : byte & 0x07;
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and past U+10FFFF are not text either.
        const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        valid = valid && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        out.push_back(valid ? c : 0xFFFD);
        i += valid ? length : 1;
    }
    return out;
}

float textWidth(const std::u32string& text) {
    float width = 0;
    for (char32_t c : text) width += glyphOf(c).advance + kGlyphSpacing;
    return text.empty() ? 0 : width - kGlyphSpacing;
}
