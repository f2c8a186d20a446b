#pragma once
// Reading pictures and handing them to OpenGL: the operations on the game's
// Texture records (core/texture.h) and on its whole texture set.
// Each picture's pixel buffer is freed once OpenGL has its image.

#include <cstdint>

#include "core/texture.h"

struct Game;
struct PlatformServices;

// The largest pixel block a picture may have; bigger ones are refused as
// "not enough memory" instead of being tried.
constexpr int64_t kMaxPixelBytes = int64_t{256} << 20;

// |height| x ((width x bitsPerPixel + 7) / 8), computed without overflow;
// negative for a negative width.
int64_t bmpByteCount(int32_t width, int32_t height, uint32_t bitsPerPixel);

// Reads an uncompressed BMP by file name into `texture`, its pixels in a
// buffer from the platform. On failure shows the Czech message for it through
// the platform and returns 0; otherwise 1.
int loadBmp(const PlatformServices& platform, Texture& texture, const char* fileName);

// Hands the picture to OpenGL under `name` (needs a current context).
// The arguments are OpenGL enumerants. The image itself is handed over
// only when the buffer holds every row OpenGL reads (width x 3 bytes,
// padded to 4); otherwise the name gets its parameters and no image.
void upload(Texture& texture, uint32_t name, int32_t minFilter, int32_t magFilter, int32_t wrapS, int32_t wrapT,
            int32_t envMode);

// Gives the uploaded texture the colour of its texel at (0, 1) as its
// border colour, so that a clamped linear sample there is that texel's
// colour alone. Nothing without a whole image.
void useCornerAsBorder(const Texture& texture);

// Releases the buffer that loadBmp allocated; a texture without one is fine.
void freePixels(Texture& texture);

// The six pictures under their fixed names (needs a current context), read
// through the game's platform. A picture that fails has shown its box and
// only lacks its image. Returns 1.
int32_t loadTextures(Game& game);
// Releases every picture's buffer; the OpenGL names go with the context.
void freeTextures(Game& game);
