// Feeds arbitrary bytes to the recording's reader and checks what it
// promises: a refusal says why; what it reads is exactly what the writer
// would write (the checksum aside: this build does not check it, so that
// the fuzzer gets past it into the fields); and a recording it reads plays
// back through the round driver to its end without leaving the Game's
// tables (AddressSanitizer and UndefinedBehaviorSanitizer watch the playback).

#include <cstdint>
#include <string>

#include "core/game.h"
#include "core/recording.h"
#include "core/round_driver.h"
#include "shell/headless/headless_platform.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

Game& viewer() {
    static Game* game = [] {
        Game* made = new Game;
        made->usePlatform(headless().services());
        return made;
    }();
    return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    RoundRecording recording;
    std::string trouble;
    if (!readRecording(bytes, &recording, &trouble)) {
        check(!trouble.empty() && trouble.find('\n') == std::string::npos);
        return 0;
    }
    const std::string written = recordingBytes(recording);
    check(written.size() == bytes.size() && written.compare(0, size - 4, bytes, 0, size - 4) == 0);

    // Long rounds of many bottles take the same paths as short ones, only slower.
    if (recording.frameSeconds.size() > 2000 || recording.bottles > 16) return -1;
    headless().clear();
    Game& game = viewer();
    static RoundDriver driver;
    GameSettings settings;
    settings.sound = 1;
    startWatchedRound(driver, game, settings, recording);
    // Every frame, or those up to the round's end: no step after it.
    size_t frames = 0;
    bool over = false;
    while (playRecordedFrame(driver, game) != RecordedFrame::Ended) {
        check(!over);
        over = game.gameOver != 0;
        ++frames;
    }
    check(frames <= recording.frameSeconds.size());
    check(!watching(driver) && game.gameOver == 1);
    for (int key = 0; key < kKeyCount; ++key) check(game.sourceKeyDown[RecordingInput][key] == 0);
    return 0;
}
