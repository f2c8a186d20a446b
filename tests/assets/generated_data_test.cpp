// The pictures and sounds the build generates: formats the game relies on,
// and the properties that make them work in the game.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "assets/texture.h"
#include "crafted_files.h"
#include "shell/headless/headless_platform.h"

namespace {

const std::filesystem::path kData = KORVADA_DATA_DIR;

bool isPowerOfTwo(int32_t v) { return v > 0 && (v & (v - 1)) == 0; }

// A picture as the game loads it: rows from the t = 0 edge, red-green-blue.
struct Loaded {
    Texture texture;
    Loaded(const std::string& name) {
        headless().clear();
        EXPECT_EQ(loadBmp(headless().services(), texture, (kData / name).string().c_str()), 1) << name;
    }
    ~Loaded() { freePixels(texture); }
    const uint8_t* texel(int x, int rowFromBottom) const {
        return texture.pixels + (static_cast<size_t>(rowFromBottom) * texture.width + x) * 3;
    }
};

TEST(GeneratedPictures, AreWhatTheReaderAndOpenGlNeed) {
    struct Expect {
        const char* name;
        int32_t width, height;
    } pictures[] = {{"air.bmp", 2048, 2048}, {"oblaka.bmp", 512, 512}, {"lahev2.bmp", 256, 256},
                    {"flaska.bmp", 256, 256}, {"font.bmp", 256, 256},  {"tamrisol.bmp", 512, 256}};
    for (const Expect& e : pictures) {
        SCOPED_TRACE(e.name);
        Bytes file = readFile(kData / e.name);
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(u32(file, 10), 54u);  // bfOffBits: no colour table
        EXPECT_EQ(u32(file, 14), 40u);  // BITMAPINFOHEADER
        EXPECT_EQ(u32(file, 30), 0u);   // uncompressed
        EXPECT_EQ(file.size(), 54u + static_cast<size_t>(e.width) * e.height * 3);
        Loaded picture(e.name);
        EXPECT_TRUE(headless().errors.empty());
        EXPECT_EQ(picture.texture.bitsPerPixel, 24);
        EXPECT_EQ(picture.texture.width, e.width);
        EXPECT_EQ(picture.texture.height, e.height);
        EXPECT_EQ(picture.texture.width % 4, 0);
        EXPECT_TRUE(isPowerOfTwo(picture.texture.width) && isPowerOfTwo(picture.texture.height));
    }
}

TEST(GeneratedPictures, SkyIsNearWhiteWhereTheBubblesSampleIt) {
    // Texture coordinate (0, 1): first texel of the last row, and around it.
    Loaded sky("oblaka.bmp");
    int top = sky.texture.height - 1;
    for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 8; ++dx)
            for (int c = 0; c < 3; ++c) EXPECT_GE(sky.texel(dx, top - dy)[c], 235) << dx << "," << dy;
}

TEST(GeneratedPictures, BottlesAreToldApartByTheirGlass) {
    // Mean colour of the body below the label (t 0.15 to 0.25).
    auto bodyColour = [](const Loaded& bottle) {
        double sum[3] = {0, 0, 0};
        int n = 0;
        for (int y = bottle.texture.height * 15 / 100; y < bottle.texture.height / 4; ++y)
            for (int x = 0; x < bottle.texture.width; ++x, ++n)
                for (int c = 0; c < 3; ++c) sum[c] += bottle.texel(x, y)[c];
        return std::vector<double>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    Loaded player("lahev2.bmp"), other("flaska.bmp");
    auto p = bodyColour(player), o = bodyColour(other);
    EXPECT_GT(p[2], p[1] + 40);  // the player's glass is blue
    EXPECT_GT(o[1], o[2] + 40);  // the others' is green
}

// Ink of one font cell as a grid of booleans, row 0 at the cell's top.
struct Cell {
    int size;
    std::vector<bool> ink;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size && ink[y * size + x]; }
};

Cell fontCell(const Loaded& font, int glyph) {
    int size = font.texture.width / 4;
    int col = glyph % 4, row = glyph / 4;  // row counted from the t = 1 edge
    Cell cell{size, std::vector<bool>(static_cast<size_t>(size) * size)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint8_t* t = font.texel(col * size + x, font.texture.height - 1 - (row * size + y));
            cell.ink[y * size + x] = t[0] > 128;
        }
    return cell;
}

// Connected regions of ink (or of background, when `ink` is false) that
// stay away from the cell's border; with `ink` true, all of them.
int countRegions(const Cell& cell, bool ink, bool onlyEnclosed) {
    std::vector<bool> seen(cell.ink.size());
    int regions = 0;
    for (int start = 0; start < cell.size * cell.size; ++start) {
        if (seen[start] || cell.ink[start] != ink) continue;
        bool touchesBorder = false;
        std::vector<int> stack{start};
        seen[start] = true;
        while (!stack.empty()) {
            int i = stack.back();
            stack.pop_back();
            int x = i % cell.size, y = i / cell.size;
            if (x == 0 || y == 0 || x == cell.size - 1 || y == cell.size - 1) touchesBorder = true;
            const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& s : steps) {
                int nx = x + s[0], ny = y + s[1];
                if (nx < 0 || ny < 0 || nx >= cell.size || ny >= cell.size) continue;
                int j = ny * cell.size + nx;
                if (!seen[j] && cell.ink[j] == ink) seen[j] = true, stack.push_back(j);
            }
        }
        if (!onlyEnclosed || !touchesBorder) ++regions;
    }
    return regions;
}

TEST(GeneratedPictures, FontCellsHoldTheDigitsInPlace) {
    Loaded font("font.bmp");
    ASSERT_EQ(font.texture.width, font.texture.height);
    // The holes tell the digits apart: 0, 4, 6, 9 have one, 8 two.
    const int holes[10] = {1, 0, 0, 0, 1, 0, 1, 0, 2, 1};
    for (int glyph = 0; glyph < 16; ++glyph) {
        SCOPED_TRACE(glyph);
        Cell cell = fontCell(font, glyph);
        int inkPixels = 0;
        for (bool b : cell.ink) inkPixels += b;
        if (glyph > 9) {
            EXPECT_EQ(inkPixels, 0);
            continue;
        }
        EXPECT_GT(inkPixels, cell.size * cell.size / 25);
        EXPECT_EQ(countRegions(cell, true, false), 1);  // one connected glyph
        EXPECT_EQ(countRegions(cell, false, true), holes[glyph]);
        // A margin of black round every glyph, so filtering never pulls a
        // neighbour's ink into a cell.
        for (int i = 0; i < cell.size; ++i)
            for (int m = 0; m < 4; ++m) {
                EXPECT_FALSE(cell.at(i, m) || cell.at(i, cell.size - 1 - m) || cell.at(m, i) ||
                             cell.at(cell.size - 1 - m, i));
            }
    }
    // Digits without holes, told apart by where their widest row lies: the
    // bar of a 7 on top, of a 2 at the bottom; this also catches a font
    // stored upside down.
    auto widestRow = [](const Cell& c) {
        int best = 0, bestInk = -1;
        for (int y = 0; y < c.size; ++y) {
            int n = 0;
            for (int x = 0; x < c.size; ++x) n += c.at(x, y);
            if (n > bestInk) best = y, bestInk = n;
        }
        return best;
    };
    EXPECT_LT(widestRow(fontCell(font, 7)), font.texture.width / 4 / 3);
    EXPECT_GT(widestRow(fontCell(font, 2)), font.texture.width / 4 * 2 / 3);
}

// ------------------------------------------------------------------ sounds ---

struct Wav {
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::vector<int16_t> samples;
};

Wav readWav(const std::string& name) {
    Bytes b = readFile(kData / name);
    Wav wav;
    EXPECT_GE(b.size(), 44u);
    if (b.size() < 44) return wav;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(u32(b, 4), b.size() - 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    wav.format = u16(b, 20), wav.channels = u16(b, 22), wav.rate = u32(b, 24), wav.bits = u16(b, 34);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(u32(b, 40), b.size() - 44);
    for (size_t i = 44; i + 1 < b.size(); i += 2) wav.samples.push_back(static_cast<int16_t>(u16(b, i)));
    return wav;
}

int peak(const Wav& w) {
    int p = 0;
    for (int16_t s : w.samples) p = std::max(p, std::abs(static_cast<int>(s)));
    return p;
}

// Sign changes per second over the loud part: a rough measure of pitch.
double crossingsPerSecond(const Wav& w) {
    size_t n = w.samples.size() / 2, crossings = 0;
    for (size_t i = 1; i < n; ++i) crossings += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
    return static_cast<double>(crossings) * w.rate / static_cast<double>(n);
}

TEST(GeneratedSounds, AreShortCleanMonoPcm) {
    for (const char* name : {"tuk01.wav", "tuk02.wav", "tuk03.wav", "tukm01.wav", "tukm02.wav", "tukm03.wav",
                             "zblunk.wav"}) {
        SCOPED_TRACE(name);
        Wav w = readWav(name);
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.rate, 22050u);
        double seconds = static_cast<double>(w.samples.size()) / w.rate;
        EXPECT_GE(seconds, 0.1);
        EXPECT_LE(seconds, 0.5);
        EXPECT_LT(peak(w), 32000);     // headroom: never clipped
        EXPECT_GT(peak(w), 32768 / 4);  // and clearly audible
        EXPECT_LT(std::abs(w.samples.back()), 100);  // ends without a click
    }
}

TEST(GeneratedSounds, PlayerKnocksAreLowerAndLouderAndAllVariantsDiffer) {
    std::vector<Wav> knocks, playerKnocks;
    for (const char* n : {"tuk01.wav", "tuk02.wav", "tuk03.wav"}) knocks.push_back(readWav(n));
    for (const char* n : {"tukm01.wav", "tukm02.wav", "tukm03.wav"}) playerKnocks.push_back(readWav(n));
    for (const Wav& p : playerKnocks)
        for (const Wav& k : knocks) {
            EXPECT_LT(crossingsPerSecond(p), crossingsPerSecond(k));
            EXPECT_GT(peak(p), peak(k));
        }
    for (const auto* group : {&knocks, &playerKnocks}) {
        EXPECT_NE((*group)[0].samples, (*group)[1].samples);
        EXPECT_NE((*group)[0].samples, (*group)[2].samples);
        EXPECT_NE((*group)[1].samples, (*group)[2].samples);
    }
}

TEST(GeneratedData, IsTheSameOnEveryRun) {
    // The icons go to their own folder (eight PNG sizes, the .ico and the
    // Linux window's pixels): the data folder holds the game's 13 files and
    // nothing else.
    ScratchDir again;
    std::filesystem::create_directory(again.path / "data");
    std::filesystem::create_directory(again.path / "icons");
    std::string command = std::string("\"") + KORVADA_DATAGEN + "\" \"" + (again.path / "data").string() + "\" \"" +
                          (again.path / "icons").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::pair<std::filesystem::path, std::filesystem::path> folders[] = {{kData, again.path / "data"},
                                                                               {KORVADA_ICON_DIR, again.path / "icons"}};
    for (const auto& [built, fresh] : folders)
        for (const auto& entry : std::filesystem::directory_iterator(built)) {
            SCOPED_TRACE(entry.path().filename().string());
            EXPECT_TRUE(readFile(entry.path()) == readFile(fresh / entry.path().filename()));
        }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(again.path / "data"), {}), 13);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(again.path / "icons"), {}), 10);
}

}  // namespace
