// korvada-shot as a user runs it: from the data folder, writing a PNG.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string run(const std::string& args) {
    return std::string("cd '") + KORVADA_DATA_DIR + "' && '" + KORVADA_SHOT + "' " + args;
}

int exitCode(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Picture {
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;  // top row first
    int sum(png_uint_32 x, png_uint_32 y) const {
        const png_byte* p = &rgb[(size_t(y) * width + x) * 3];
        return p[0] + p[1] + p[2];
    }
};

Picture readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return picture;
    picture.width = image.width;
    picture.height = image.height;
    return picture;
}

TEST(Shot, WritesThePlayFrameTheEndScreenAndThePausedPictureAtTheAskedSize) {
    const std::string dir = ::testing::TempDir();
    const std::string play = dir + "korvada_shot_play.png", end = dir + "korvada_shot_end.png";
    const std::string paused = dir + "korvada_shot_paused.png";
    ASSERT_EQ(exitCode(run("--seed 3 --steps 200 --size 160x120 --out '" + play + "'")), 0);
    ASSERT_EQ(exitCode(run("--seed 3 --steps 200 --size 160x120 --end-screen --out '" + end + "'")), 0);
    ASSERT_EQ(exitCode(run("--seed 3 --steps 200 --size 160x120 --paused --out '" + paused + "'")), 0);
    const Picture p = readPng(play), e = readPng(end), h = readPng(paused);
    ASSERT_EQ(p.width, 160u);
    ASSERT_EQ(p.height, 120u);
    ASSERT_EQ(e.width, 160u);
    ASSERT_EQ(h.height, 120u);
    // Paused: the same round at half the light, the two bars light in the middle.
    EXPECT_NEAR(h.sum(10, 10), p.sum(10, 10) / 2, 6);
    EXPECT_NEAR(h.sum(150, 110), p.sum(150, 110) / 2, 6);
    EXPECT_GT(h.sum(75, 60), 700);
    EXPECT_GT(h.sum(85, 60), 700);
    EXPECT_LT(h.sum(80, 60), 400) << "between the bars";
    // The play frame is ground everywhere; the end screen is black round a centred picture.
    EXPECT_GT(p.sum(2, 2), 0);
    EXPECT_GT(p.sum(157, 60), 0);
    EXPECT_EQ(e.sum(2, 2), 0);
    EXPECT_EQ(e.sum(2, 117), 0);
    EXPECT_GT(e.sum(80, 60), 0);
    // The score sits near the bottom right, not the top right: rows go top first.
    auto boxSum = [&](png_uint_32 top) {
        int total = 0;
        for (png_uint_32 y = top; y < top + 20; ++y)
            for (png_uint_32 x = 125; x < 155; ++x) total += e.sum(x, y);
        return total;
    };
    EXPECT_GT(boxSum(95), 0);
    EXPECT_EQ(boxSum(5), 0);
    std::remove(play.c_str());
    std::remove(end.c_str());
    std::remove(paused.c_str());
}

TEST(Shot, RefusesBadArgumentsWithExitCode2) {
    for (const char* args : {"--size 0x10 --out x.png", "--camera 7 --out x.png", "--blending 2 --out x.png",
                             "--seed 1", "--frobnicate --out x.png", "--out",
                             "--paused --end-screen --out x.png"})
        EXPECT_EQ(exitCode(run(std::string(args) + " 2>/dev/null")), 2) << args;
}

}  // namespace
