#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "assets/texture.h"
#include "core/game.h"
#include "crafted_files.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"

namespace {

class TextureSet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.open(16, 16));
        headless().clear();
    }

    static GLint parameter(GLuint name, GLenum which) {
        GLint value = -1;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
        return value;
    }

    static GLint levelWidth(GLuint name, GLint level = 0) {
        GLint width = -1;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    // The first texel of the image OpenGL holds under `name`, red-green-blue.
    static std::vector<uint8_t> firstTexel(GLuint name) {
        glBindTexture(GL_TEXTURE_2D, name);
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<uint8_t> image(static_cast<size_t>(levelWidth(name)) * height * 3 + 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
        return {image[0], image[1], image[2]};
    }

    OffscreenGl gl;
    ScratchDir dir;
};

using Strings = std::vector<std::string>;

TEST_F(TextureSet, EachPictureGoesUnderItsNameWithItsParameters) {
    struct Row {
        const char* file;
        int index;  // into textures, or -1 for the font
        GLuint name;
        GLint wrap;
        uint8_t red;  // what tells the pictures apart
    } rows[] = {
        {"air.bmp", GroundTexture, 0, GL_REPEAT, 10},
        {"flaska.bmp", OtherBottleTexture, 2, GL_REPEAT, 20},
        {"lahev2.bmp", PlayerBottleTexture, 3, GL_REPEAT, 30},
        {"oblaka.bmp", SkyTexture, 5, GL_CLAMP, 40},
        {"tamrisol.bmp", EndScreenTexture, 6, GL_CLAMP, 50},
        {"font.bmp", -1, 4, GL_REPEAT, 60},
    };
    for (const Row& row : rows) dir.write(row.file, solidBmp(8, 4, row.red, 77, 99));
    Game game;
    game.usePlatform(headless().services());
    {
        WorkingDir here(dir.path);
        EXPECT_EQ(loadTextures(game), 1);
    }
    EXPECT_TRUE(headless().errors.empty());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const Texture& t = row.index < 0 ? game.fontTexture : game.textures[row.index];
        EXPECT_EQ(t.getGlName(), row.name);
        EXPECT_EQ(t.getWidth(), 8);
        EXPECT_EQ(t.pixels, nullptr);  // OpenGL has its own copy
        EXPECT_EQ(levelWidth(row.name), 8);
        EXPECT_EQ(firstTexel(row.name), (std::vector<uint8_t>{row.red, 77, 99}));
        EXPECT_EQ(parameter(row.name, GL_TEXTURE_WRAP_S), row.wrap);
        EXPECT_EQ(parameter(row.name, GL_TEXTURE_WRAP_T), row.wrap);
        EXPECT_EQ(parameter(row.name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(parameter(row.name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    }
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    freeTextures(game);  // nothing left to release
}

TEST_F(TextureSet, TheSkysBorderIsItsCornerColourAndTheOthersStayBlack) {
    // The sky differs from its rest only in the texel at (0, 1): the first
    // of the last row in the file (rows go up from t = 0; blue-green-red).
    Bytes sky;
    for (int i = 0; i < 16; ++i) sky.insert(sky.end(), {30, 20, 10});
    sky[12 * 3] = 100, sky[12 * 3 + 1] = 150, sky[12 * 3 + 2] = 200;
    dir.write("oblaka.bmp", bmpFile(4, 4, 24, sky));
    dir.write("tamrisol.bmp", solidBmp(4, 4, 50, 60, 70));
    Game game;
    game.usePlatform(headless().services());
    {
        WorkingDir here(dir.path);
        loadTextures(game);
    }
    auto border = [](GLuint name) {
        std::vector<GLfloat> colour(4, -1);
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, colour.data());
        for (GLfloat& c : colour) c = std::round(c * 255);
        return colour;
    };
    EXPECT_EQ(border(5), (std::vector<GLfloat>{200, 150, 100, 255}));
    EXPECT_EQ(border(6), (std::vector<GLfloat>{0, 0, 0, 0}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    freeTextures(game);
}

TEST_F(TextureSet, MissingPicturesCostOneBoxEachAndTheGameGoesOn) {
    Game game;
    game.usePlatform(headless().services());
    {
        WorkingDir here(dir.path);
        EXPECT_EQ(loadTextures(game), 1);
    }
    EXPECT_EQ(headless().errors, Strings(6, "Soubor nelze otevřít!"));
    // Names and parameters are set all the same; no image behind them.
    EXPECT_EQ(game.textures[SkyTexture].getGlName(), 5u);
    EXPECT_EQ(parameter(5, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(levelWidth(5), 0);
    EXPECT_EQ(game.fontTexture.getGlName(), 4u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    freeTextures(game);
    freeTextures(game);  // nothing held, nothing released, twice
}

TEST_F(TextureSet, OrderOfLoadingShowsInTheOrderOfBoxes) {
    // Only the sky is broken and only the font is missing: the two boxes
    // come in load order, sky before font.
    for (const char* file : {"air.bmp", "flaska.bmp", "lahev2.bmp", "tamrisol.bmp"})
        dir.write(file, solidBmp(4, 4, 1, 2, 3));
    dir.write("oblaka.bmp", Bytes{'M', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Game game;
    game.usePlatform(headless().services());
    {
        WorkingDir here(dir.path);
        loadTextures(game);
    }
    EXPECT_EQ(headless().errors, (Strings{"Soubor není platný BMP formát!", "Soubor nelze otevřít!"}));
    freeTextures(game);
}

TEST_F(TextureSet, BuffersShorterThanWhatOpenGlReadsGetNoImage) {
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"16 bits a pixel", bmpFile(4, 4, 16, Bytes(32, 0x55))},
        {"24-bit rows needing padding", bmpFile(3, 4, 24, Bytes(48, 0x55))},
        {"top-down picture", bmpFile(4, -4, 24, Bytes(48, 0x55))},
        {"refused size", bmpFile(-4, 4, 24, Bytes(48, 0x55))},
    };
    GLuint name = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Texture texture;
        loadBmp(headless().services(), texture, dir.write("x.bmp", c.file).c_str());
        upload(texture, name, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, GL_MODULATE);
        EXPECT_EQ(texture.getGlName(), name);
        EXPECT_EQ(parameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(levelWidth(name), 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        freePixels(texture);
        ++name;
    }
    // A 32-bit picture holds more than OpenGL reads: it gets its (garbled) image.
    Texture wide;
    loadBmp(headless().services(), wide, dir.write("x.bmp", bmpFile(4, 4, 32, Bytes(64, 0x55))).c_str());
    upload(wide, name, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, GL_MODULATE);
    EXPECT_EQ(levelWidth(name), 4);
    freePixels(wide);
}

TEST_F(TextureSet, MipmapFiltersBuildEveryLevel) {
    Texture texture;
    ASSERT_EQ(loadBmp(headless().services(), texture, dir.write("m.bmp", solidBmp(8, 8, 200, 100, 50)).c_str()), 1);
    upload(texture, 7, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, GL_MODULATE);
    EXPECT_EQ(levelWidth(7, 0), 8);
    EXPECT_EQ(levelWidth(7, 3), 1);
    EXPECT_EQ(firstTexel(7), (std::vector<uint8_t>{200, 100, 50}));
    freePixels(texture);
}

}  // namespace
