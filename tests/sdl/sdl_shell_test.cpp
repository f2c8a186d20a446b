// The Linux shell's pieces that need no window: key translation, key and
// close events to the game, and the conversion of cue files for the device.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/game.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// The key a US layout gives (SDL's own table needs its video started).
SDL_Keycode usKeyOf(SDL_Scancode scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return SDLK_a + (scancode - SDL_SCANCODE_A);
    return SDL_SCANCODE_TO_KEYCODE(scancode);
}

SDL_Keysym keyOf(SDL_Scancode scancode, SDL_Keycode sym = SDLK_UNKNOWN, Uint16 mod = KMOD_NONE) {
    SDL_Keysym key = {};
    key.scancode = scancode;
    key.sym = sym == SDLK_UNKNOWN ? usKeyOf(scancode) : sym;
    key.mod = mod;
    return key;
}

TEST(SdlKeys, TranslatesTheKeysTheGameHasCodesFor) {
    struct Case {
        SDL_Scancode scancode;
        int32_t virtualKey;
    };
    const Case cases[] = {
        {SDL_SCANCODE_LEFT, 0x25},   {SDL_SCANCODE_UP, 0x26},       {SDL_SCANCODE_RIGHT, 0x27},
        {SDL_SCANCODE_DOWN, 0x28},   {SDL_SCANCODE_0, 0x30},        {SDL_SCANCODE_1, 0x31},
        {SDL_SCANCODE_6, 0x36},      {SDL_SCANCODE_9, 0x39},        {SDL_SCANCODE_A, 0x41},
        {SDL_SCANCODE_Z, 0x5A},      {SDL_SCANCODE_SPACE, 0x20},
        {SDL_SCANCODE_RETURN, 0x0D}, {SDL_SCANCODE_KP_ENTER, 0x0D}, {SDL_SCANCODE_ESCAPE, 0x1B},
        {SDL_SCANCODE_F1, 0x70},     {SDL_SCANCODE_F12, 0x7B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(virtualKeyOf(keyOf(c.scancode)), c.virtualKey) << SDL_GetScancodeName(c.scancode);
}

TEST(SdlKeys, TheKeypadIsDigitsWithNumLockAndMovingKeysWithout) {
    const SDL_Scancode pad[] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3,
                                SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7,
                                SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9};
    // Insert, End, Down, Page Down, Left, Clear, Right, Home, Up, Page Up.
    const int32_t moving[] = {0x2D, 0x23, 0x28, 0x22, 0x25, 0x0C, 0x27, 0x24, 0x26, 0x21};
    for (int digit = 0; digit < 10; ++digit) {
        SCOPED_TRACE(digit);
        EXPECT_EQ(virtualKeyOf(keyOf(pad[digit], SDLK_UNKNOWN, KMOD_NUM)), 0x60 + digit);
        EXPECT_EQ(virtualKeyOf(keyOf(pad[digit])), moving[digit]);
    }
    EXPECT_EQ(virtualKeyOf(keyOf(SDL_SCANCODE_KP_PERIOD)), 0x2E);  // Delete
}

TEST(SdlKeys, KeysWithoutACodeAreIgnored) {
    for (SDL_Scancode code : {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_TAB, SDL_SCANCODE_MINUS, SDL_SCANCODE_F13,
                              SDL_SCANCODE_KP_PLUS, SDL_SCANCODE_UNKNOWN})
        EXPECT_EQ(virtualKeyOf(keyOf(code)), -1) << SDL_GetScancodeName(code);
}

TEST(SdlKeys, DigitsGoByPlaceLettersByLayout) {
    // A Czech layout prints 'ě' on the key of '2': it is still the digit 2.
    EXPECT_EQ(virtualKeyOf(keyOf(SDL_SCANCODE_2, 0x11B)), 0x32);
    // A German layout swaps Y and Z: the letter counts, as on Windows.
    EXPECT_EQ(virtualKeyOf(keyOf(SDL_SCANCODE_Y, SDLK_z)), 0x5A);
    // A layout without Latin letters falls back to the key's place.
    EXPECT_EQ(virtualKeyOf(keyOf(SDL_SCANCODE_Q, 0x439)), 0x51);
}

TEST(SdlKeys, AltHeldAndF10AreSystemKeys) {
    EXPECT_TRUE(isSystemKey(keyOf(SDL_SCANCODE_5, SDLK_UNKNOWN, KMOD_LALT)));
    EXPECT_TRUE(isSystemKey(keyOf(SDL_SCANCODE_LEFT, SDLK_UNKNOWN, KMOD_RALT)));
    EXPECT_TRUE(isSystemKey(keyOf(SDL_SCANCODE_F10)));
    EXPECT_FALSE(isSystemKey(keyOf(SDL_SCANCODE_F9)));
    EXPECT_FALSE(isSystemKey(keyOf(SDL_SCANCODE_5, SDLK_UNKNOWN, KMOD_LCTRL | KMOD_LSHIFT | KMOD_NUM)));
}

class SdlEvents : public ::testing::Test {
protected:
    static SDL_Event keyEvent(Uint32 type, SDL_Scancode code, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
        SDL_Event event = {};
        event.type = type;
        event.key.keysym = keyOf(code, SDLK_UNKNOWN, mod);
        event.key.repeat = repeat;
        return event;
    }
    void send(const SDL_Event& event) { handleEvent(game, shell, event); }

    Game game;
    SdlShell shell;
};

TEST_F(SdlEvents, KeysWriteTheKeyTableIncludingRepeats) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT));
    EXPECT_EQ(game.keyDown[0x25], 1);
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_LEFT));
    EXPECT_EQ(game.keyDown[0x25], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RIGHT, KMOD_NONE, 1));  // an auto-repeat
    EXPECT_EQ(game.keyDown[0x27], 1);
}

TEST_F(SdlEvents, OnlyTheMainRowDigitsChooseTheCamera) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_5, KMOD_NUM));
    EXPECT_EQ(game.cameraIndex, 0);
    EXPECT_EQ(game.keyDown[0x65], 1);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_5));
    EXPECT_EQ(game.cameraIndex, 4);
}

TEST_F(SdlEvents, KeypadArrowsWithoutNumLockSteerAsTheArrows) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_4));
    EXPECT_EQ(game.keyDown[0x25], 1);
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_KP_4));
    EXPECT_EQ(game.keyDown[0x25], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_8));
    EXPECT_EQ(game.keyDown[0x26], 1);
}

TEST_F(SdlEvents, SystemKeysReachNeitherHandler) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, KMOD_LALT));
    EXPECT_EQ(game.cameraIndex, 0);
    EXPECT_EQ(game.keyDown[0x33], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, KMOD_LALT));
    EXPECT_EQ(game.gameOver, 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F10));
    EXPECT_EQ(game.keyDown[0x79], 0);
    // A key let go while Alt is held stays down, as on Windows.
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_UP));
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_UP, KMOD_LALT));
    EXPECT_EQ(game.keyDown[0x26], 1);
}

TEST_F(SdlEvents, TheMouseDoesNothingAndACloseEndsTheGame) {
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    send(click);
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    send(motion);
    EXPECT_FALSE(shell.closeRequested);
    for (int i = 0; i < kKeyCount; ++i) ASSERT_EQ(game.keyDown[i], 0);

    SDL_Event close = {};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    send(close);
    EXPECT_TRUE(shell.closeRequested);
    SdlShell other;
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    handleEvent(game, other, quit);
    EXPECT_TRUE(other.closeRequested);
}

// A PCM WAV file: 44-byte header, then the samples.
void writeWav(const std::string& path, int rate, int channels, int bits, const std::vector<uint8_t>& samples) {
    auto put32 = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [](std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    put32(file, static_cast<uint32_t>(36 + samples.size()));
    for (char c : std::string("WAVEfmt ")) file.push_back(static_cast<uint8_t>(c));
    put32(file, 16);
    put16(file, 1);  // PCM
    put16(file, static_cast<uint16_t>(channels));
    put32(file, static_cast<uint32_t>(rate));
    put32(file, static_cast<uint32_t>(rate * channels * bits / 8));
    put16(file, static_cast<uint16_t>(channels * bits / 8));
    put16(file, static_cast<uint16_t>(bits));
    for (char c : std::string("data")) file.push_back(static_cast<uint8_t>(c));
    put32(file, static_cast<uint32_t>(samples.size()));
    file.insert(file.end(), samples.begin(), samples.end());
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

class SdlSound : public ::testing::Test {
protected:
    SdlSound() {
        device.freq = 44100;
        device.format = AUDIO_S16SYS;
        device.channels = 2;
    }
    std::string path(const char* name) const { return ::testing::TempDir() + name; }
    SDL_AudioSpec device = {};
};

TEST_F(SdlSound, ACueInTheDevicesFormatIsTakenAsItIs) {
    std::vector<uint8_t> samples(4 * 1000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7);
    writeWav(path("same.wav"), 44100, 2, 16, samples);
    EXPECT_EQ(loadWavFor(path("same.wav").c_str(), device), samples);
}

TEST_F(SdlSound, ACueInAnotherFormatIsConvertedToTheDevicesRateAndChannels) {
    // 0.1 s of an 8-bit mono tone at 11025 Hz: 4410 stereo 16-bit frames at 44100 Hz.
    std::vector<uint8_t> samples(1103);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 10) % 2 ? 200 : 56;
    writeWav(path("other.wav"), 11025, 1, 8, samples);
    const std::vector<uint8_t> converted = loadWavFor(path("other.wav").c_str(), device);
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

TEST_F(SdlSound, AMissingOrBrokenFileIsSilence) {
    EXPECT_TRUE(loadWavFor(path("no-such-cue.wav").c_str(), device).empty());
    FILE* out = std::fopen(path("broken.wav").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("RIFF\x10\x00\x00\x00WAVEjunk", out);
    std::fclose(out);
    EXPECT_TRUE(loadWavFor(path("broken.wav").c_str(), device).empty());

    // Without a device nothing is even read.
    SdlShell silent;
    playSoundFile(silent, "no-such-cue.wav");
    EXPECT_EQ(silent.audioDevice, 0u);
}
}  // namespace
