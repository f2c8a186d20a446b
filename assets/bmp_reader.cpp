// Reads the game's pictures: uncompressed BMP files with a 40-byte info
// header. The pixel block is read in one piece straight into the record's
// buffer, and 24-bit pixels are turned from blue-green-red into the
// red-green-blue order that upload hands to OpenGL.

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "assets/texture.h"
#include "core/platform.h"

namespace {

constexpr long kFileHeaderSize = 14;
constexpr long kInfoHeaderSize = 40;
constexpr uint32_t kPixelBlockOffset = kFileHeaderSize + kInfoHeaderSize;

uint16_t readU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t readU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t readI32(const unsigned char* p) { return static_cast<int32_t>(readU32(p)); }

// Closes the file (if open), shows the message and reports the failure.
// The box names no file, as the game's boxes always have: stderr says which,
// and where it was looked for, and why (`reason`, or the message).
int fail(const PlatformServices& platform, std::FILE* file, const char* fileName, const char* message,
         const char* reason = nullptr) {
    if (file != nullptr) std::fclose(file);
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(fileName, error);
    std::fprintf(stderr, "korvada: %s: %s\n", error ? fileName : path.string().c_str(), reason ? reason : message);
    platform.showError(platform.shell, message);
    return 0;
}

// Moves to the pixel block. An offset past the end of the file is no error:
// the read that follows then finds nothing and the picture stays black.
void seekPixelBlock(std::FILE* file, uint32_t offset) {
    if (offset == kPixelBlockOffset) return;
    if (offset > static_cast<uint32_t>(LONG_MAX) || std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
        std::fseek(file, 0, SEEK_END);
}

void swapRedAndBlue(uint8_t* pixels, int32_t byteCount) {
    for (int32_t i = 0; i + 2 < byteCount; i += 3) {
        uint8_t blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
}

}  // namespace

int64_t bmpByteCount(int32_t width, int32_t height, uint32_t bitsPerPixel) {
    int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    // Division truncates toward zero, so a negative width gives a negative row.
    int64_t rowBytes = (static_cast<int64_t>(width) * bitsPerPixel + 7) / 8;
    // Up to 2^31 rows of up to 2^44 bytes would overflow even 64 bits.
    if (rowBytes > 0 && rows > INT64_MAX / rowBytes) return INT64_MAX;
    if (rowBytes < 0 && rows > INT64_MAX / -rowBytes) return -INT64_MAX;
    return rows * rowBytes;
}

int loadBmp(const PlatformServices& platform, Texture& texture, const char* fileName) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return fail(platform, nullptr, fileName, "Soubor nelze otevřít!", std::strerror(errno));

    unsigned char header[kFileHeaderSize];
    if (std::fread(header, 1, sizeof header, file) != sizeof header)
        return fail(platform, file, fileName, "Nelze přečíst hlavičku souboru!");
    if (header[0] != 'B' || header[1] != 'M') return fail(platform, file, fileName, "Soubor není platný BMP formát!");

    // Only the 40-byte header is understood. A smaller gap before the pixels
    // cannot hold it; a larger one (colour table, newer header) is skipped.
    uint32_t pixelOffset = readU32(header + 10);
    unsigned char info[kInfoHeaderSize];
    if (pixelOffset < kPixelBlockOffset || std::fread(info, 1, sizeof info, file) != sizeof info)
        return fail(platform, file, fileName, "Nelze přečíst informace BMP!");

    texture.width = readI32(info + 4);
    texture.height = readI32(info + 8);
    texture.bitsPerPixel = readU16(info + 14);
    int64_t count = bmpByteCount(texture.width, texture.height, texture.bitsPerPixel);
    texture.byteCount = count >= INT32_MIN && count <= INT32_MAX ? static_cast<int32_t>(count) : -1;
    if (count < 0 || count > kMaxPixelBytes) {
        texture.pixels = nullptr;
        return fail(platform, file, fileName, "Nedostatek paměti!");
    }

    // A picture with no pixels still gets a buffer, as a loaded picture should.
    const size_t size = count > 0 ? static_cast<size_t>(count) : 1;
    texture.pixels = static_cast<uint8_t*>(platform.allocatePixels(platform.shell, size));
    if (texture.pixels == nullptr) return fail(platform, file, fileName, "Nedostatek paměti!");

    seekPixelBlock(file, pixelOffset);
    // A short read is no error: the rest is zeroed, so a file that ends
    // early leaves black pixels rather than garbage.
    const size_t read = std::fread(texture.pixels, 1, static_cast<size_t>(count), file);
    std::memset(texture.pixels + read, 0, size - read);
    std::fclose(file);

    if (texture.bitsPerPixel == 24) swapRedAndBlue(texture.pixels, texture.byteCount);
    return 1;
}

// Here, beside the allocation it matches.
void freePixels(Texture& texture) {
    std::free(texture.pixels);
    texture.pixels = nullptr;
}
