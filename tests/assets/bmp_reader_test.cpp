#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "assets/texture.h"
#include "crafted_files.h"
#include "shell/headless/headless_platform.h"

namespace {

constexpr const char* kCannotOpen = "Soubor nelze otevřít!";
constexpr const char* kNoHeader = "Nelze přečíst hlavičku souboru!";
constexpr const char* kNotBmp = "Soubor není platný BMP formát!";
constexpr const char* kNoInfo = "Nelze přečíst informace BMP!";
constexpr const char* kNoMemory = "Nedostatek paměti!";

class BmpReader : public ::testing::Test {
protected:
    void SetUp() override { headless().clear(); }
    void TearDown() override { freePixels(texture); }

    // Loads the bytes as a file; returns loadBmp's result.
    int load(const Bytes& bytes) { return loadBmp(headless().services(), texture, dir.write("picture.bmp", bytes).c_str()); }

    ScratchDir dir;
    Texture texture;
};

using Strings = std::vector<std::string>;

TEST_F(BmpReader, FilesBrokenBeforeTheSizesAreKnownLeaveTheRecordAlone) {
    Bytes good = solidBmp(4, 2, 1, 2, 3);
    Bytes reversed = good;
    std::swap(reversed[0], reversed[1]);
    Bytes offBits40 = good, offBits53 = good;
    setOffBits(offBits40, 40);
    setOffBits(offBits53, 53);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"empty file", {}, kNoHeader},
        {"short header", Bytes(good.begin(), good.begin() + 13), kNoHeader},
        {"'MB'", reversed, kNotBmp},
        {"not a picture", Bytes(64, 'x'), kNotBmp},
        {"short info", Bytes(good.begin(), good.begin() + 53), kNoInfo},
        {"bfOffBits 40", offBits40, kNoInfo},
        {"bfOffBits 53", offBits53, kNoInfo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless().clear();
        texture = Texture{};
        texture.width = 7, texture.height = 8, texture.bitsPerPixel = 9, texture.byteCount = 10;
        EXPECT_EQ(load(c.bytes), 0);
        EXPECT_EQ(headless().errors, Strings{c.message});
        EXPECT_EQ(texture.width, 7);
        EXPECT_EQ(texture.height, 8);
        EXPECT_EQ(texture.bitsPerPixel, 9);
        EXPECT_EQ(texture.byteCount, 10);
        EXPECT_EQ(texture.pixels, nullptr);
    }
}

TEST_F(BmpReader, MissingFileNamesNoFile) {
    EXPECT_EQ(loadBmp(headless().services(), texture, (dir.path / "nothing.bmp").string().c_str()), 0);
    EXPECT_EQ(headless().errors, Strings{kCannotOpen});
}

TEST_F(BmpReader, SizesThatNoBufferCanHoldFailAfterTheFieldsAreSet) {
    struct Case {
        const char* what;
        int32_t width, height;
        uint16_t bits;
        int32_t byteCount;  // as documented: the count, or -1 when it does not fit
    } cases[] = {
        {"negative width", -4, 2, 24, -22},  // 2 x ((-96 + 7) / 8)
        {"both at the 32-bit limit", 0x7FFFFFFF, 0x7FFFFFFF, 32, -1},
        {"wraps to a small positive 32-bit count", 0x40000001, 4, 32, -1},
        {"most negative height", 4, INT32_MIN, 24, -1},
        {"fits 32 bits, above the limit", 10000, 10000, 24, 300000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless().clear();
        texture = Texture{};
        EXPECT_EQ(load(bmpFile(c.width, c.height, c.bits, Bytes(64, 1))), 0);
        EXPECT_EQ(headless().errors, Strings{kNoMemory});
        EXPECT_EQ(texture.width, c.width);
        EXPECT_EQ(texture.height, c.height);
        EXPECT_EQ(texture.bitsPerPixel, c.bits);
        EXPECT_EQ(texture.byteCount, c.byteCount);
        EXPECT_EQ(texture.pixels, nullptr);
    }
}

TEST_F(BmpReader, TwentyFourBitPixelsComeOutRedGreenBlue) {
    Bytes pixels;
    for (uint8_t i = 0; i < 8; ++i) pixels.insert(pixels.end(), {uint8_t(10 + i), uint8_t(100 + i), uint8_t(200 + i)});
    ASSERT_EQ(load(bmpFile(4, 2, 24, pixels)), 1);
    EXPECT_TRUE(headless().errors.empty());
    EXPECT_EQ(texture.width, 4);
    EXPECT_EQ(texture.height, 2);
    EXPECT_EQ(texture.bitsPerPixel, 24);
    ASSERT_EQ(texture.byteCount, 24);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(texture.pixels[3 * i], 200 + i) << i;
        EXPECT_EQ(texture.pixels[3 * i + 1], 100 + i) << i;
        EXPECT_EQ(texture.pixels[3 * i + 2], 10 + i) << i;
    }
}

TEST_F(BmpReader, OtherDepthsAreLeftInFileOrder) {
    for (uint16_t bits : {16, 32}) {
        SCOPED_TRACE(bits);
        freePixels(texture);
        Bytes pixels;
        for (int i = 0; i < 4 * 2 * bits / 8; ++i) pixels.push_back(static_cast<uint8_t>(i * 7 + 1));
        ASSERT_EQ(load(bmpFile(4, 2, bits, pixels)), 1);
        ASSERT_EQ(texture.byteCount, static_cast<int32_t>(pixels.size()));
        EXPECT_EQ(Bytes(texture.pixels, texture.pixels + texture.byteCount), pixels);
    }
}

TEST_F(BmpReader, TopDownPictureKeepsItsSignAndRowOrder) {
    Bytes pixels;
    for (uint8_t i = 0; i < 24; ++i) pixels.push_back(i);
    ASSERT_EQ(load(bmpFile(4, -2, 24, pixels)), 1);
    EXPECT_EQ(texture.height, -2);
    ASSERT_EQ(texture.byteCount, 24);
    EXPECT_EQ(texture.pixels[0], 2);   // first pixel of the file's first row, swapped
    EXPECT_EQ(texture.pixels[12], 14);  // second row follows it unchanged in order
}

TEST_F(BmpReader, RowsNeedingPaddingKeepTheFilesFirstBytes) {
    // Width 3: rows of 9 bytes padded to 12 in the file; the buffer holds the
    // first 18 bytes of the padded block, so the padding lands inside it.
    Bytes pixels;
    for (uint8_t i = 0; i < 24; ++i) pixels.push_back(i);
    ASSERT_EQ(load(bmpFile(3, 2, 24, pixels)), 1);
    ASSERT_EQ(texture.byteCount, 18);
    Bytes expected(pixels.begin(), pixels.begin() + 18);
    for (size_t i = 0; i + 2 < expected.size(); i += 3) std::swap(expected[i], expected[i + 2]);
    EXPECT_EQ(Bytes(texture.pixels, texture.pixels + 18), expected);
}

TEST_F(BmpReader, LargerHeaderGapIsSkippedToThePixels) {
    // An 8-bit picture with a 256-entry colour table: pixels at 1078.
    Bytes pixels{1, 2, 3, 4, 5, 6, 7, 8};
    Bytes file = bmpFile(4, 2, 8, pixels, 1024);
    ASSERT_EQ(file[10] | file[11] << 8, 1078);
    ASSERT_EQ(load(file), 1);
    EXPECT_TRUE(headless().errors.empty());
    ASSERT_EQ(texture.byteCount, 8);
    EXPECT_EQ(Bytes(texture.pixels, texture.pixels + 8), pixels);
}

TEST_F(BmpReader, MissingPixelsReadAsBlack) {
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"pixel block cut short", bmpFile(4, 2, 24, Bytes(9, 0xFF))},  // three whole pixels
        {"offset past the end", [] {
             Bytes f = bmpFile(4, 2, 24, Bytes(24, 0xFF));
             setOffBits(f, 5000);
             return f;
         }()},
        {"offset beyond 2 GiB", [] {
             Bytes f = bmpFile(4, 2, 24, Bytes(24, 0xFF));
             setOffBits(f, 0xFFFFFFF0u);
             return f;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freePixels(texture);
        ASSERT_EQ(load(c.file), 1);
        ASSERT_EQ(texture.byteCount, 24);
        size_t white = 0;
        for (int i = 0; i < 24; ++i) white += texture.pixels[i] == 0xFF;
        EXPECT_EQ(white, c.what[0] == 'p' ? 9u : 0u);
        for (int i = 9; i < 24; ++i) EXPECT_EQ(texture.pixels[i], 0) << i;
    }
}

TEST_F(BmpReader, EmptyPictureStillGetsABuffer) {
    ASSERT_EQ(load(bmpFile(0, 5, 24, {})), 1);
    EXPECT_EQ(texture.byteCount, 0);
    EXPECT_NE(texture.pixels, nullptr);
}

// One row of 8-bit pixels, as long as the limit allows and a byte longer.
TEST_F(BmpReader, APixelBlockOfExactlyTheLimitLoads) {
    const auto width = static_cast<int32_t>(kMaxPixelBytes);
    ASSERT_EQ(load(bmpFile(width, 1, 8, Bytes(64, 1))), 1);
    EXPECT_EQ(texture.byteCount, kMaxPixelBytes);
    ASSERT_NE(texture.pixels, nullptr);
    EXPECT_EQ(texture.pixels[63], 1);
    EXPECT_EQ(texture.pixels[kMaxPixelBytes - 1], 0);
    EXPECT_TRUE(headless().errors.empty());
    freePixels(texture);

    EXPECT_EQ(load(bmpFile(width + 1, 1, 8, Bytes(64, 1))), 0);
    EXPECT_EQ(texture.byteCount, kMaxPixelBytes + 1);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(headless().errors, Strings{kNoMemory});
}

TEST(BmpByteCount, IsUnpaddedAndTruncatesTowardZero) {
    EXPECT_EQ(bmpByteCount(4, 2, 24), 24);
    EXPECT_EQ(bmpByteCount(3, -2, 24), 18);
    EXPECT_EQ(bmpByteCount(5, 1, 1), 1);
    EXPECT_EQ(bmpByteCount(-1, 1, 24), -2);  // (-24 + 7) / 8
    // Products beyond 64 bits saturate, keeping their sign.
    EXPECT_GT(bmpByteCount(INT32_MAX, INT32_MIN, 65535), kMaxPixelBytes);
    EXPECT_LT(bmpByteCount(INT32_MIN, INT32_MIN, 65535), 0);
}

}  // namespace
