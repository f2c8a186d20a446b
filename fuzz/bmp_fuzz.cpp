// Feeds arbitrary bytes to the BMP reader through a real file, so the reader
// runs exactly as the game runs it, and checks what it promises: one message
// per failure, no buffer on failure, and on success a buffer of byteCount
// bytes (AddressSanitizer checks its ends).

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/texture.h"
#include "shell/headless/headless_platform.h"

namespace {

// An in-memory file, rewritten for every input.
const std::string& inputPath() {
    static const std::string path = [] {
        int fd = memfd_create("korvada-bmp", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

int32_t fieldAt(const uint8_t* data, size_t at) {
    return static_cast<int32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24);
}

// Pictures that load into a large buffer take the same path as small ones
// but cost tens of milliseconds each in allocation; leave them out so the
// fuzzer's time goes into the headers.
bool isLargeButAllowed(const uint8_t* data, size_t size) {
    if (size < 30) return false;
    uint32_t bits = static_cast<uint32_t>(data[28] | data[29] << 8);
    int64_t count = bmpByteCount(fieldAt(data, 18), fieldAt(data, 22), bits);
    return count > (int64_t{1} << 20) && count <= kMaxPixelBytes;
}

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (isLargeButAllowed(data, size)) return -1;  // not added to the corpus
    const std::string& path = inputPath();
    int fd = std::stoi(path.substr(path.rfind('/') + 1));
    check(ftruncate(fd, 0) == 0);
    check(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));

    headless().clear();
    Texture texture;
    int loaded = loadBmp(headless().services(), texture, path.c_str());
    if (loaded) {
        check(headless().errors.empty());
        check(texture.pixels != nullptr);
        check(texture.byteCount >= 0 && texture.byteCount <= kMaxPixelBytes);
        check(texture.byteCount == bmpByteCount(texture.width, texture.height, texture.bitsPerPixel));
        if (texture.byteCount > 0) {
            volatile uint8_t first = texture.pixels[0], last = texture.pixels[texture.byteCount - 1];
            (void)first, (void)last;
        }
    } else {
        check(headless().errors.size() == 1);
        check(texture.pixels == nullptr);
    }
    freePixels(texture);
    return 0;
}
