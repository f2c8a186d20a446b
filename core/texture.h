#pragma once
// One picture and the OpenGL texture name it is uploaded under, and the
// places of the scene's pictures in the game record. A plain value: copies
// share the pixel buffer and never free it. Its operations (reading,
// uploading, releasing) are the assets' (assets/texture.h).

#include <cstdint>

struct Texture {
    uint8_t* pixels = nullptr;  // owned; 24-bit pictures in red-green-blue order
    uint16_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down picture
    // Bytes in the pixel buffer: rows x unpadded row length. When the file's
    // sizes give a count that does not fit in 32 bits, the load fails and
    // this holds -1; a count that fits but is negative or above the reader's
    // limit fails the load too and is kept as computed.
    int32_t byteCount = 0;
    uint32_t glName = 0;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    uint32_t getGlName() const { return glName; }
};

// The scene's pictures, by their place in Game::textures. A bottle's
// textureIndex holds one of the two bottle places: the picture and the
// bottle's shape go together.
enum SceneTexture : int32_t {
    GroundTexture = 0,
    PlayerBottleTexture = 1,  // the player's bottle always has it
    OtherBottleTexture = 2,
    SkyTexture = 3,
    EndScreenTexture = 4,
    kSceneTextureCount
};
