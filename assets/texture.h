#pragma once
// One picture and the OpenGL texture name it is uploaded under.
// A plain value: copies share the pixel buffer and never free it; only the
// texture set's freeTextures() releases buffers.

#include <cstdint>

struct Texture {
    uint8_t* pixels = nullptr;  // owned; 24-bit pictures in red-green-blue order
    uint16_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down picture
    int32_t byteCount = 0;
    uint32_t glName = 0;

    // Reads an uncompressed BMP by file name. On failure shows the Czech
    // message for it through the platform and returns 0; otherwise 1.
    int loadBmp(const char* fileName);

    // Hands the picture to OpenGL under `name` (needs a current context).
    // The arguments are OpenGL enumerants.
    void upload(uint32_t name, int32_t minFilter, int32_t magFilter, int32_t wrapS, int32_t wrapT,
                int32_t envMode);

    void freePixels();

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    uint32_t getGlName() const { return glName; }
};
