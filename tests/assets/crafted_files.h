#pragma once
// Crafting picture files for the reader and texture tests, in a scratch
// folder that is removed afterwards.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Little-endian fields, read and written.
inline uint32_t u32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
inline uint16_t u16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

inline void putU16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void putU32(Bytes& b, uint32_t v) {
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}

// A BMP file: 14-byte file header, 40-byte info header, `gap` bytes (a
// colour table, say) and then `pixels` as they are to stand in the file.
inline Bytes bmpFile(int32_t width, int32_t height, uint16_t bitsPerPixel, const Bytes& pixels, uint32_t gap = 0) {
    Bytes b{'B', 'M'};
    putU32(b, static_cast<uint32_t>(54 + gap + pixels.size()));
    putU32(b, 0);
    putU32(b, 54 + gap);
    putU32(b, 40);
    putU32(b, static_cast<uint32_t>(width));
    putU32(b, static_cast<uint32_t>(height));
    putU16(b, 1);
    putU16(b, bitsPerPixel);
    for (int i = 0; i < 6; ++i) putU32(b, 0);
    b.insert(b.end(), gap, 0xEE);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

inline void setOffBits(Bytes& file, uint32_t offset) {
    for (int i = 0; i < 4; ++i) file[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
}

// A solid 24-bit picture (blue-green-red in the file), width a multiple of 4.
inline Bytes solidBmp(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    Bytes pixels;
    for (int32_t i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {b, g, r});
    return bmpFile(width, height, 24, pixels);
}

struct ScratchDir {
    std::filesystem::path path;

    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvada-assets-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }

    std::string write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (path / name).string();
    }
};

// Runs the test body with the scratch folder as the working directory, the
// way the game finds its files by bare name.
struct WorkingDir {
    std::filesystem::path saved = std::filesystem::current_path();
    explicit WorkingDir(const std::filesystem::path& dir) { std::filesystem::current_path(dir); }
    ~WorkingDir() { std::filesystem::current_path(saved); }
};
