// The game's icon as the desktop and Windows read it: the icon theme's PNGs
// and the .ico's images, which must all show the same picture.

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "crafted_files.h"

namespace {

const std::filesystem::path kIcons = KORVADA_ICON_DIR;

// RGBA, rows from the top.
struct Rgba {
    int width = 0, height = 0;
    Bytes pixels;
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

Rgba decodePng(const Bytes& file) {
    Rgba out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return out;
    image.format = PNG_FORMAT_RGBA;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return {};
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}

Rgba themeIcon(int size) { return decodePng(readFile(kIcons / ("korvada-" + std::to_string(size) + ".png"))); }

TEST(Icon, ThemeSizesAreSquareWithATransparentGround) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        Rgba icon = themeIcon(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        // The bubble sits top left and the bottle right: the bottom-left corner is ground.
        EXPECT_EQ(icon.at(0, size - 1)[3], 0);
        EXPECT_EQ(icon.at(0, 0)[3], 0);
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) opaque += icon.at(x, y)[3] == 255;
        EXPECT_GT(opaque, size * size * 4 / 10);
        EXPECT_LT(opaque, size * size * 8 / 10);
    }
}

TEST(Icon, SixteenPixelsShowEachPartInSolidColour) {
    // Readable at 16 px means sharp, whole pixels of each part's colour,
    // not a smear of blended edges.
    Rgba icon = themeIcon(16);
    ASSERT_EQ(icon.width, 16);
    int solid = 0, partial = 0, glass = 0, label = 0, cap = 0, bubble = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* p = icon.at(x, y);
            if (p[3] == 0) continue;
            if (p[3] < 255) {
                ++partial;
                continue;
            }
            ++solid;
            int r = p[0], g = p[1], b = p[2];
            glass += b > 180 && r < 100;
            label += r > 180 && g < 80 && b < 80;
            cap += r > 200 && g > 150 && b < 100;
            bubble += r > 150 && g > 190 && b > 230;
        }
    EXPECT_LT(partial * 5, solid);
    EXPECT_GE(glass, 12);
    EXPECT_GE(label, 12);
    EXPECT_GE(cap, 3);
    EXPECT_GE(bubble, 12);
}

TEST(Icon, WindowsIconHoldsBitmapsAndAPngOfTheSamePicture) {
    Bytes ico = readFile(kIcons / "korvada.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(u16(ico, 0), 0);
    EXPECT_EQ(u16(ico, 2), 1);  // an icon
    const int sizes[] = {16, 32, 48, 64, 256};
    ASSERT_EQ(u16(ico, 4), std::size(sizes));
    size_t end = 6 + 16 * std::size(sizes);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const int n = sizes[i];
        SCOPED_TRACE(n);
        size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], n & 0xFF);  // 0 stands for 256
        EXPECT_EQ(ico[entry + 1], n & 0xFF);
        EXPECT_EQ(u16(ico, entry + 6), 32);
        uint32_t length = u32(ico, entry + 8), offset = u32(ico, entry + 12);
        ASSERT_EQ(offset, end);  // images follow each other, none overlaps
        ASSERT_LE(static_cast<size_t>(offset) + length, ico.size());
        end = offset + length;
        Bytes image(ico.begin() + offset, ico.begin() + offset + length);
        Rgba expected = themeIcon(n);
        if (n > 64) {
            // Too large for a bitmap entry: the PNG itself.
            EXPECT_TRUE(image == readFile(kIcons / "korvada-256.png"));
            continue;
        }
        // BITMAPINFOHEADER of twice the height, BGRA rows from the bottom,
        // then the AND mask, set where the picture is transparent.
        ASSERT_EQ(u32(image, 0), 40u);
        EXPECT_EQ(u32(image, 4), static_cast<uint32_t>(n));
        EXPECT_EQ(u32(image, 8), static_cast<uint32_t>(2 * n));
        EXPECT_EQ(u16(image, 14), 32);
        const size_t maskRow = (n + 31) / 32 * 4;
        ASSERT_EQ(image.size(), 40 + static_cast<size_t>(n) * n * 4 + maskRow * n);
        int mismatches = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                size_t row = static_cast<size_t>(n - 1 - y);
                const uint8_t* bgra = &image[40 + (row * n + x) * 4];
                const uint8_t* rgba = expected.at(x, y);
                bool masked = image[40 + static_cast<size_t>(n) * n * 4 + row * maskRow + x / 8] & (0x80 >> (x % 8));
                mismatches += bgra[0] != rgba[2] || bgra[1] != rgba[1] || bgra[2] != rgba[0] || bgra[3] != rgba[3] ||
                              masked != (rgba[3] < 128);
            }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_EQ(end, ico.size());
}

}  // namespace
