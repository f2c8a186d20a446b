// The six pictures of the game: loaded once at start-up under fixed texture
// names. OpenGL keeps its own copy of each image, so the pixel buffers go as
// soon as it has them: the ground's alone is 12 MB.

#include <GL/gl.h>
#include <GL/glu.h>

#include "assets/texture.h"
#include "core/game.h"

namespace {

bool isMipmapFilter(int32_t filter) {
    return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST ||
           filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

// OpenGL reads `height` rows of `width` red-green-blue triples, each row
// padded to 4 bytes. A buffer shorter than that (a failed load, fewer than
// 24 bits a pixel, a width that needs padding, a top-down picture's negative
// height) would be read past its end, so such a picture gets no image.
bool holdsWholeImage(const Texture& texture) {
    if (texture.pixels == nullptr || texture.width <= 0 || texture.height <= 0) return false;
    int64_t rowBytes = (int64_t{texture.width} * 3 + 3) / 4 * 4;
    return int64_t{texture.byteCount} >= rowBytes * texture.height;
}

struct TextureSlot {
    const char* fileName;
    uint32_t glName;
    int32_t wrap;
    bool cornerBorder;  // the border takes the colour of the texel at (0, 1)
};

}  // namespace

void upload(Texture& texture, uint32_t name, int32_t minFilter, int32_t magFilter, int32_t wrapS, int32_t wrapT,
            int32_t envMode) {
    texture.glName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    // Unit state, not texture state: the last upload's mode stays in force.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
    if (!holdsWholeImage(texture)) return;
    if (isMipmapFilter(minFilter))
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, texture.width, texture.height, GL_RGB, GL_UNSIGNED_BYTE, texture.pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, texture.width, texture.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     texture.pixels);
}

void useCornerAsBorder(const Texture& texture) {
    if (!holdsWholeImage(texture)) return;
    // Rows run from t = 0 up: (0, 1) is the first texel of the last row.
    const int64_t rowBytes = (int64_t{texture.width} * 3 + 3) / 4 * 4;
    const uint8_t* corner = texture.pixels + rowBytes * (texture.height - 1);
    const GLfloat colour[4] = {corner[0] / 255.0f, corner[1] / 255.0f, corner[2] / 255.0f, 1.0f};
    glBindTexture(GL_TEXTURE_2D, texture.glName);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, colour);
}

int32_t loadTextures(Game& game) {
    // Load order is what the user sees when pictures are missing: one error
    // box per picture, in this order, and the game starts all the same.
    Texture* const records[] = {&game.textures[GroundTexture],      &game.textures[OtherBottleTexture],
                                &game.textures[PlayerBottleTexture], &game.textures[SkyTexture],
                                &game.textures[EndScreenTexture],    &game.fontTexture};
    // The bubbles are drawn with the sky bound, at its corner (0, 1). There,
    // GL_CLAMP with linear filtering mixes three parts border to one part
    // texel: with the default black border the bubbles would be a quarter as
    // bright as the corner, a faint smudge on the ground. A border of the
    // corner's own colour makes the sample that colour on every OpenGL.
    const TextureSlot slots[] = {
        {"air.bmp", 0, GL_REPEAT, false},   {"flaska.bmp", 2, GL_REPEAT, false},
        {"lahev2.bmp", 3, GL_REPEAT, false}, {"oblaka.bmp", 5, GL_CLAMP, true},
        {"tamrisol.bmp", 6, GL_CLAMP, false}, {"font.bmp", 4, GL_REPEAT, false},
    };
    for (int i = 0; i < 6; ++i) {
        loadBmp(game.platform, *records[i], slots[i].fileName);  // a failed picture only costs its image
        upload(*records[i], slots[i].glName, GL_LINEAR, GL_LINEAR, slots[i].wrap, slots[i].wrap, GL_MODULATE);
        if (slots[i].cornerBorder) useCornerAsBorder(*records[i]);
        freePixels(*records[i]);
    }
    return 1;
}

void freeTextures(Game& game) {
    for (Texture& texture : game.textures) freePixels(texture);
    freePixels(game.fontTexture);
}
