#include "core/round_check.h"

#include <memory>

#include "core/game.h"
#include "core/random.h"
#include "core/round_driver.h"

namespace {

// The platform of a round nobody watches: no box, no sound, a counter that
// stands still (the recorded seconds are the round's time), no window.
PlatformServices silentPlatform() {
    PlatformServices services;
    services.showError = [](void*, const char*) {};
    services.playSound = [](void*, const char*) {};
    services.counter = [](void*) -> int64_t { return 0; };
    services.counterFrequency = [](void*) -> int64_t { return 1; };
    services.swapBuffers = [](void*) {};
    services.requestClose = [](void*) {};
    services.allocatePixels = [](void*, size_t) -> void* { return nullptr; };
    return services;
}

// The key changes recorded after the last frame: none for a round that
// landed; for one ended by Esc, that press last (an older recorder kept the
// changes just before it too).
std::size_t changesAfterTheLastFrame(const RoundRecording& recording) {
    std::size_t count = 0;
    for (const RecordedKey& key : recording.keys) count += key.frame == recording.frameSeconds.size() ? 1 : 0;
    return count;
}

}  // namespace

CheckedRound checkRound(const RoundRecording& recording) {
    CheckedRound checked;
    const uint32_t callers = randomState();
    auto game = std::make_unique<Game>();  // which seeds the generator from the time: the caller's back
    seedRandom(callers);
    auto driver = std::make_unique<RoundDriver>();
    game->usePlatform(silentPlatform());
    GameSettings settings;
    settings.sound = 1;  // the knocks draw as they did
    startWatchedRound(*driver, *game, settings, recording);

    const std::size_t frames = recording.frameSeconds.size();
    std::size_t played = 0;
    bool landed = false;
    while (playRecordedFrame(*driver, *game) == RecordedFrame::Step) {
        checked.recordedSeconds += recording.frameSeconds[played];
        ++played;
        landed = game->gameOver != 0;
    }
    checked.frames = static_cast<int32_t>(played);
    checked.score = game->bottles[0].score;
    const std::size_t after = changesAfterTheLastFrame(recording);
    const RecordedKey* last = recording.keys.empty() ? nullptr : &recording.keys.back();
    const bool escapedAfter = !landed && played == frames && after > 0 && last->key == kKeyEscape && last->down;
    checked.endedByEsc = escapedAfter;
    const std::string at = "frame " + std::to_string(played) + " of " + std::to_string(frames);
    if (landed && played < frames)
        checked.trouble = "the round landed at " + at + ": the recording goes on past its end";
    else if (landed && after > 0)
        checked.trouble = "the round landed at its last frame, and keys changed after it";
    else if (!landed && played < frames)
        checked.trouble = "the round ended by Esc at " + at + ": the recording goes on past its end";
    else if (!landed && !escapedAfter)
        checked.trouble = "the recording stops at " + at + " before the round's end";
    checked.played = checked.trouble.empty();
    return checked;
}
