#pragma once
// One picture and the OpenGL texture name it is uploaded under.
// A plain value: copies share the pixel buffer and never free it; only the
// texture set releases buffers, each once OpenGL has its image.

#include <cstdint>

// The largest pixel block a picture may have; bigger ones are refused as
// "not enough memory" instead of being tried.
constexpr int64_t kMaxPixelBytes = int64_t{256} << 20;

// |height| x ((width x bitsPerPixel + 7) / 8), computed without overflow;
// negative for a negative width.
int64_t bmpByteCount(int32_t width, int32_t height, uint32_t bitsPerPixel);

struct Texture {
    uint8_t* pixels = nullptr;  // owned; 24-bit pictures in red-green-blue order
    uint16_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down picture
    // Bytes in the pixel buffer: rows x unpadded row length. When the file's
    // sizes give a count that does not fit in 32 bits, the load fails and
    // this holds -1; a count that fits but is negative or above
    // kMaxPixelBytes fails the load too and is kept as computed.
    int32_t byteCount = 0;
    uint32_t glName = 0;

    // Reads an uncompressed BMP by file name. On failure shows the Czech
    // message for it through the platform and returns 0; otherwise 1.
    int loadBmp(const char* fileName);

    // Hands the picture to OpenGL under `name` (needs a current context).
    // The arguments are OpenGL enumerants. The image itself is handed over
    // only when the buffer holds every row OpenGL reads (width x 3 bytes,
    // padded to 4); otherwise the name gets its parameters and no image.
    void upload(uint32_t name, int32_t minFilter, int32_t magFilter, int32_t wrapS, int32_t wrapT,
                int32_t envMode);

    // Gives the uploaded texture the colour of its texel at (0, 1) as its
    // border colour, so that a clamped linear sample there is that texel's
    // colour alone. Nothing without a whole image.
    void useCornerAsBorder() const;

    void freePixels();

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    uint32_t getGlName() const { return glName; }
};
