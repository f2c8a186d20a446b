// Frames that are not the player's own step: the paused round (a key's
// notice over it, never in the picture saved), a recording
// played back through paintFrame, and the frame read back as a PNG.

#include <png.h>

#include <fstream>
#include <iterator>

#include "core/pause.h"
#include "core/random.h"
#include "core/recording.h"
#include "render/frame_picture.h"
#include "render_fixture.h"
#include "setup/setup_texts.h"

namespace {

class HeldFrames : public RenderTest {
protected:
    void layOutRound(int bottles) {
        seedRandom(3);
        game->settings.blending = 1;
        game->setupRound(bottles, 30);
    }

    std::vector<float> places() const {
        std::vector<float> out;
        for (int i = 0; i < game->bottleCount; ++i) {
            const Bottle& b = game->bottles[i];
            out.insert(out.end(), {b.x, b.y, b.z, b.vx, b.vy, b.vz});
        }
        return out;
    }

    // The offscreen buffer, top row first, as a picture file holds it.
    FramePicture bufferPicture() const {
        FramePicture picture{kWidth, kHeight, {}};
        for (int y = kHeight - 1; y >= 0; --y)
            for (int x = 0; x < kWidth; ++x) picture.rgb.insert(picture.rgb.end(), gl.pixel(x, y), gl.pixel(x, y) + 3);
        return picture;
    }
};

TEST_F(HeldFrames, APausedRoundHoldsDimmedUnderTwoBarsAndItsWayOnAndAKeysNoticeFadesOffIt) {
    layOutRound(4);
    headless().advance(0.5);
    paintFrame(*game, *driver, marks);
    const std::vector<float> before = places();
    const FramePicture play = bufferPicture();

    pauseRound(*game);
    for (int frame = 0; frame < 5; ++frame) {
        headless().advance(2);
        paintFrame(*game, *driver, marks);
    }
    EXPECT_EQ(places(), before);
    EXPECT_EQ(headless().swapCount, 6);
    const FramePicture paused = bufferPicture();
    // Half the light everywhere but on the bars, which stand in the middle,
    // and on the way on, lettered under them on its band.
    int dimmed = 0, barPixels = 0, hinted = 0, hintInk = 0;
    for (size_t i = 0; i < play.rgb.size(); i += 3) {
        const int was = play.rgb[i] + play.rgb[i + 1] + play.rgb[i + 2];
        const int now = paused.rgb[i] + paused.rgb[i + 1] + paused.rgb[i + 2];
        const int x = int(i / 3) % kWidth, y = int(i / 3) / kWidth;
        if (y > kHeight * 3 / 5 && y < kHeight * 3 / 4) {
            ++hinted;
            hintInk += now >= 3 * 240;
        } else if (now >= 3 * 240) {
            ++barPixels;
            EXPECT_LT(std::abs(x - kWidth / 2), kWidth / 10);
            EXPECT_LT(std::abs(y - kHeight / 2), kHeight / 5);
        } else {
            dimmed += std::abs(now - was / 2) <= 6;
        }
    }
    EXPECT_GT(barPixels, 1000);
    EXPECT_GT(hintInk, 500) << "no 'P: continue' under the bars";
    EXPECT_EQ(dimmed, kWidth * kHeight - barPixels - hinted);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST)) << "the GL state as the frame found it";

    // F12 on it: its notice over the picture, high in the view, and the
    // picture saved is the round's alone, no mark, no line.
    showNotice(marks, *game, noticeTexts(marks).pictureSaved);
    paintFrame(*game, *driver, marks);
    auto noticeInk = [&] {
        const FramePicture now = bufferPicture();
        int ink = 0;
        for (size_t i = kWidth * 3 * (kHeight / 8); i < kWidth * 3 * (kHeight / 4); i += 3)
            ink += now.rgb[i] + now.rgb[i + 1] + now.rgb[i + 2] >= 3 * 240;
        return ink;
    };
    EXPECT_GT(noticeInk(), 500);
    const FramePicture shot = pictureOfRound(*game);
    EXPECT_EQ(shot.rgb, play.rgb);
    EXPECT_EQ(headless().swapCount, 7) << "a screenshot swaps nothing";
    // Gone after its 1.5 s, in one more picture drawn for it.
    headless().advance(1.6);
    EXPECT_TRUE(marksChanging(marks, *game));
    paintFrame(*game, *driver, marks);
    EXPECT_EQ(noticeInk(), 0);
    EXPECT_FALSE(marksChanging(marks, *game));

    // Going on, the next step measures only the time since.
    resumeRound(*game);
    headless().advance(0.01);
    paintFrame(*game, *driver, marks);
    const float fell = before[1] - game->bottles[0].y;
    EXPECT_GT(fell, 0);
    EXPECT_LT(fell, before[4] * 0.011f + 0.01f);
}

TEST_F(HeldFrames, TheFramesPngIsExactlyTheFrameDrawn) {
    layOutRound(12);
    headless().advance(1);
    paintFrame(*game, *driver, marks);
    setupView(kWidth, kHeight);  // the same view as the frame's
    const FramePicture picture = pictureOfRound(*game);
    ASSERT_EQ(picture.rgb, bufferPicture().rgb);

    const std::string file = ::testing::TempDir() + "korvada-frame-test.png";
    std::string error;
    ASSERT_TRUE(writePngFile(file, picture, &error)) << error;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, pngBytes(picture)) << "the file holds what memory gets";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> decoded(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, decoded.data(), 0, nullptr));
    EXPECT_EQ(int(image.width), kWidth);
    EXPECT_EQ(int(image.height), kHeight);
    EXPECT_TRUE(decoded == picture.rgb);
    std::remove(file.c_str());

    // A window's bars are not the picture: the viewport alone is read.
    setupViewArea({100, 50, 400, 300});
    const FramePicture inner = pictureOfRound(*game);
    EXPECT_EQ(inner.width, 400);
    EXPECT_EQ(inner.height, 300);
    EXPECT_EQ(inner.rgb[0], gl.pixel(100, 349)[0]);
    EXPECT_FALSE(writePngFile(::testing::TempDir() + "no-such-folder/x.png", picture, &error));
    EXPECT_TRUE(pngBytes(FramePicture()).empty());
}

TEST(PictureName, TellsTheLocalTimeAndNeverTakesAnotherPicturesName) {
    std::tm moment{};
    moment.tm_year = 2026 - 1900;
    moment.tm_mon = 11;
    moment.tm_mday = 10;
    moment.tm_hour = 14;
    moment.tm_min = 3;
    moment.tm_sec = 22;
    moment.tm_isdst = -1;
    EXPECT_EQ(pictureFileName(moment), "korvada-2026-12-10-14-03-22.png");

    const std::filesystem::path folder = ::testing::TempDir() + "korvada-pictures";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::time_t now = std::mktime(&moment);
    const std::filesystem::path first = newPicturePath(folder, now);
    EXPECT_EQ(first, folder / "korvada-2026-12-10-14-03-22.png");
    std::ofstream(first).put('x');
    EXPECT_EQ(newPicturePath(folder, now), folder / "korvada-2026-12-10-14-03-22-2.png");
    std::ofstream(folder / "korvada-2026-12-10-14-03-22-2.png").put('x');
    EXPECT_EQ(newPicturePath(folder, now).filename(), "korvada-2026-12-10-14-03-22-3.png");
    std::filesystem::remove_all(folder);
}

// A recording played through paintFrame at the pace it was played: the same
// bottles after every frame, two at a time on a display half as fast, and
// the viewer's own end screen once it is used up.
TEST_F(HeldFrames, APlaybackPaintsTheRecordedFramesAtTheirPace) {
    seedRandom(3);
    GameSettings settings;
    settings.bottleCount = 8;
    startLiveRound(*driver, *game, settings);
    std::vector<std::vector<float>> trace;
    for (int frame = 0; frame < 120; ++frame) {
        if (frame == 10) game->onKeyDown(kKeyLeft);
        if (frame == 60) game->onKeyDown(kKey1 + 2);
        headless().advance(0.01 + 0.001 * (frame % 5));
        updateFrame(*driver, *game);
        trace.push_back(places());
    }
    const RoundRecording recording = driver->recorder.recording;
    ASSERT_EQ(recording.frameSeconds.size(), 120u);

    setupView(80, 60);  // a small picture: the course is the test here
    startWatchedRound(*driver, *game, settings, recording);
    for (size_t frame = 0; frame < 60; ++frame) {
        headless().advance(recording.frameSeconds[frame]);
        paintFrame(*game, *driver, marks);
        ASSERT_EQ(places(), trace[frame]) << frame;
    }
    for (size_t frame = 61; frame < 120; frame += 2) {
        headless().advance(recording.frameSeconds[frame - 1] + recording.frameSeconds[frame]);
        paintFrame(*game, *driver, marks);
        ASSERT_EQ(places(), trace[frame]) << frame;
    }
    EXPECT_EQ(game->cameraIndex, 0) << "the camera the player chose is not the viewer's";
    EXPECT_TRUE(watching(*driver));
    const int swaps = headless().swapCount;
    headless().advance(0.3);
    paintFrame(*game, *driver, marks);
    EXPECT_FALSE(watching(*driver));
    EXPECT_EQ(game->gameOver, 1) << "a recording that stops short ends its round";
    EXPECT_EQ(headless().swapCount, swaps + 1);
    EXPECT_EQ(places(), trace.back());
    EXPECT_LT(game->endScreenTime, 0.01f) << "the end screen counts the viewer's time from the end";
}

}  // namespace
