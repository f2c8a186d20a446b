// The cue files as the Linux game reads them for its audio device: taken as
// they are or converted, whole frames only, and silence for a file that is
// missing, damaged or claims more than it holds.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/sdl/sdl_shell.h"

namespace {
using Bytes = std::vector<uint8_t>;

// A PCM WAV file: 44-byte header, then the samples. `block` is the block
// size the header claims (0: a frame's, as a writer should), `claimed` the
// data chunk's length (-1: the samples').
Bytes wavFile(int rate, int channels, int bits, const Bytes& samples, int block = 0, long claimed = -1) {
    const auto put = [](Bytes& out, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const auto text = [](Bytes& out, const char* s) { out.insert(out.end(), s, s + std::strlen(s)); };
    if (block == 0) block = channels * bits / 8;
    Bytes file;
    text(file, "RIFF");
    put(file, static_cast<uint32_t>(36 + samples.size()), 4);
    text(file, "WAVEfmt ");
    put(file, 16, 4);
    put(file, 1, 2);  // PCM
    put(file, static_cast<uint32_t>(channels), 2);
    put(file, static_cast<uint32_t>(rate), 4);
    put(file, static_cast<uint32_t>(rate * channels * bits / 8), 4);
    put(file, static_cast<uint32_t>(block), 2);
    put(file, static_cast<uint32_t>(bits), 2);
    text(file, "data");
    put(file, static_cast<uint32_t>(claimed < 0 ? static_cast<long>(samples.size()) : claimed), 4);
    file.insert(file.end(), samples.begin(), samples.end());
    return file;
}

Bytes numbered(size_t count) {
    Bytes samples(count);
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<uint8_t>(i * 7);
    return samples;
}

class SdlWav : public ::testing::Test {
protected:
    SdlWav() {
        device.freq = 44100;
        device.format = AUDIO_S16SYS;
        device.channels = 2;
    }
    // The samples the game would play from a file of these bytes.
    Bytes loaded(const char* name, const Bytes& file) const {
        const std::string path = ::testing::TempDir() + name;
        FILE* out = std::fopen(path.c_str(), "wb");
        EXPECT_NE(out, nullptr);
        if (out == nullptr) return {};
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
        return loadWavFor(path.c_str(), device);
    }
    SDL_AudioSpec device = {};
};

// A converter fed part of a frame hands back part of one, and the device
// would play the rest of the cue a sample out of step.
TEST_F(SdlWav, ACueInTheDevicesFormatIsTakenAsItIsInWholeFrames) {
    const Bytes samples = numbered(4002);
    const Bytes whole(samples.begin(), samples.begin() + 4000);
    EXPECT_EQ(loaded("same.wav", wavFile(44100, 2, 16, whole)), whole);
    // 4002 bytes of stereo 16-bit data, in blocks of a frame and, as a header
    // may claim, of one sample of the two: SDL reads in the file's blocks,
    // the device plays frames.
    for (const int block : {4, 2}) {
        SCOPED_TRACE("blocks of " + std::to_string(block) + " bytes");
        const Bytes played = loaded("odd.wav", wavFile(44100, 2, 16, samples, block));
        EXPECT_EQ(played.size(), whole.size());
        EXPECT_TRUE(played == whole);
    }
}

TEST_F(SdlWav, ACueInAnotherFormatIsConvertedToTheDevicesRateAndChannels) {
    // 0.1 s of an 8-bit mono tone at 11025 Hz: 4410 stereo 16-bit frames at 44100 Hz.
    Bytes samples(1103);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 10) % 2 ? 200 : 56;
    const Bytes converted = loaded("other.wav", wavFile(11025, 1, 8, samples));
    const double frames = static_cast<double>(converted.size()) / 4;
    EXPECT_NEAR(frames, 4412, 44);
    int16_t loudest = 0;
    for (size_t i = 0; i + 1 < converted.size(); i += 2) {
        int16_t value;
        std::memcpy(&value, &converted[i], 2);
        loudest = std::max<int16_t>(loudest, value);
    }
    EXPECT_GT(loudest, 20000);  // 200 in unsigned 8 bits is +72 of 128
}

// SDL sets aside what the data chunk claims before it reads it: a file of a
// few bytes that claims gigabytes would cost that much memory. A chunk that
// runs past the file's end, by a byte or by 2.7 GB, is a damaged file.
TEST_F(SdlWav, TheDataChunkEndsInsideTheFileOrTheCueIsSilence) {
    const Bytes samples = numbered(4000);
    EXPECT_EQ(loaded("to-the-end.wav", wavFile(44100, 2, 16, samples, 0, 4000)), samples);
    EXPECT_TRUE(loaded("a-byte-past.wav", wavFile(44100, 2, 16, samples, 0, 4001)).empty());
    EXPECT_TRUE(loaded("claims-gigabytes.wav", wavFile(8000, 1, 8, Bytes(40, 128), 0, 0xa6000028)).empty());
}

TEST_F(SdlWav, AMissingOrBrokenFileIsSilence) {
    EXPECT_TRUE(loadWavFor((::testing::TempDir() + "no-such-cue.wav").c_str(), device).empty());
    EXPECT_TRUE(loaded("short.wav", Bytes{'R', 'I', 'F', 'F', 16}).empty());
    const std::string noFormat("RIFF\x10\x00\x00\x00WAVEjunk", 16);
    EXPECT_TRUE(loaded("no-format.wav", Bytes(noFormat.begin(), noFormat.end())).empty());
    // Without a device nothing is even read.
    SdlShell silent;
    playSoundFile(silent, "no-such-cue.wav");
    EXPECT_EQ(silent.audioDevice, 0u);
}
}  // namespace
