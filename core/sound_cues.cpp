#include "core/sound_cues.h"

#include "core/game.h"
#include "core/random.h"

namespace {
const char* const kPlayerKnockFiles[] = {"tukm01.wav", "tukm02.wav", "tukm03.wav"};
const char* const kKnockFiles[] = {"tuk01.wav", "tuk02.wav", "tuk03.wav"};
}  // namespace

const char* cueFileName(int32_t cue) {
    switch (cue) {
        case PlayerKnock: return kPlayerKnockFiles[nextRandom() % 3];
        case Knock: return kKnockFiles[nextRandom() % 3];
        case Plop: return "zblunk.wav";
        default: return nullptr;
    }
}

void Game::playCue(int32_t cue) {
    if (settings.sound == 0) return;  // silence draws no random number
    // Muted, the cue still draws its file: a round takes the same course, its
    // recording included, whether or not the player muted it.
    const char* file = cueFileName(cue);
    if (file != nullptr && !muted) platform.playSound(platform.shell, file);
}

bool toggleMute(Game& game) {
    game.muted = !game.muted;
    return game.muted != 0;
}
