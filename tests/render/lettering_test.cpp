// The game's lettering: every text it letters has its glyphs, text it cannot
// read is spaces, and a line over the picture is blended once a pixel on its
// band, leaving OpenGL as it was.

#include "render/glyphs.h"
#include "render/lettering.h"
#include "render_fixture.h"
#include "setup/setup_texts.h"

namespace {

TEST(Glyphs, EveryLineTheGameLettersHasItsGlyphsInEveryLanguage) {
    for (int l = 0; l < kLanguageCount; ++l) {
        const NoticeTexts& n = kLanguages[l].notices;
        for (const char* text : {n.pictureSaved, n.pictureNotSaved, n.soundOff, n.soundOn, n.pausedHint, n.newBest}) {
            SCOPED_TRACE(std::string(kLanguages[l].code) + ": " + text);
            for (char32_t c : decodeUtf8(text)) {
                EXPECT_TRUE(hasGlyph(c)) << "U+" << std::hex << uint32_t(c) << " would be a blank";
                EXPECT_EQ(glyphOf(c).strokes.empty(), c == ' ');
            }
        }
    }
}

TEST(Glyphs, BrokenUtf8AndUnknownCharactersAreSpaces) {
    EXPECT_EQ(decodeUtf8("Zvuk vypnut, \xC5\xBE\xC5\xAF"), U"Zvuk vypnut, žů");
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80"), U"\U0001F600");
    // Cut, lone, overlong, surrogate, past U+10FFFF: a U+FFFD a byte.
    EXPECT_EQ(decodeUtf8("a\xC5"), U"a\uFFFD");
    EXPECT_EQ(decodeUtf8("\xBE\xC0\xAF"), U"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80"), U"\uFFFD\uFFFD\uFFFD\uFFFD");
    for (char32_t c : {char32_t(0xFFFD), char32_t(0x1F600), char32_t(0x416), char32_t(0)}) {
        EXPECT_FALSE(hasGlyph(c));
        EXPECT_TRUE(glyphOf(c).strokes.empty());
        EXPECT_EQ(glyphOf(c).advance, glyphOf(' ').advance);
    }
    EXPECT_EQ(letteringWidth("a\xC5\xC5z", 1), letteringWidth("a  z", 1));
}

class Lettering : public RenderTest {
protected:
    // What a drawing may change of OpenGL's state: switches, functions, matrices.
    static std::vector<GLfloat> glState() {
        std::vector<GLfloat> state(32);
        glGetFloatv(GL_PROJECTION_MATRIX, &state[0]);
        glGetFloatv(GL_MODELVIEW_MATRIX, &state[16]);
        for (GLenum name : {GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_FUNC, GL_DEPTH_WRITEMASK}) {
            GLfloat value = 0;
            glGetFloatv(name, &value);
            state.push_back(value);
        }
        for (GLenum on : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D}) state.push_back(glIsEnabled(on));
        return state;
    }

    // Pixels of at least this red in rows [bottom, top) and columns [left, right).
    int redAtLeast(int least, int left, int right, int bottom, int top) {
        glFinish();
        int count = 0;
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x) count += pixel(x, y).r >= least;
        return count;
    }
};

TEST_F(Lettering, HalfFadedEachPixelIsBlendedOnceOnItsBandAndTheStateIsLeftAsFound) {
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    const std::vector<GLfloat> before = glState();
    drawLettering("Ůžasně, rekord!", 0, 0, 0.1f, 0.5f);
    // Grey 128 under a band of 0.6 x 0.5 dark (91), the ink half over it:
    // 173, where a stroke blended twice over its neighbour would be 214.
    EXPECT_GT(redAtLeast(168, 0, kWidth, 0, kHeight), 2000);
    EXPECT_EQ(redAtLeast(177, 0, kWidth, 0, kHeight), 0);
    EXPECT_RGB_NEAR(pixel(kWidth / 2, kHeight / 2 + 55), (Rgb{91, 91, 95}), 3);   // band above the capitals
    EXPECT_RGB_NEAR(pixel(kWidth / 2, kHeight / 2 + 120), (Rgb{128, 128, 128}), 1);
    EXPECT_RGB_NEAR(pixel(10, kHeight / 2), (Rgb{128, 128, 128}), 1);

    EXPECT_EQ(glState(), before);
}

TEST_F(Lettering, ANewBestIsSaidBesideTheEndScreensScoreAndOnlyThen) {
    game->setupRound(1, 1);
    game->gameOver = 1;
    // Left of the digits (from x = 686), level with them (rows 40 to 110).
    for (bool newBest : {false, true}) {
        SCOPED_TRACE(newBest);
        marks.newBest = newBest;
        showFrame(*game, marks);
        EXPECT_EQ(redAtLeast(240, 0, 686, 0, 150) > 500, newBest);
        EXPECT_EQ(redAtLeast(240, 0, kWidth, 150, kHeight), 0);
    }
}

}  // namespace
