// The game's cues on one SDL audio device. Each cue replaces the one still
// playing, as the game expects of its sound service; failures are silent,
// and a device that goes away is looked for again while the game plays.

#include <cstdio>
#include <functional>
#include <memory>

#include "shell/sdl/sdl_shell.h"

namespace {
// A lost device is asked for again no oftener than this.
constexpr Uint32 kSoundRetryMs = 1000;
// Opening or closing a device takes milliseconds, a lost one's close a tenth
// of a second: past this the audio server is taken for frozen.
constexpr Uint32 kSoundAnswerMs = 2000;

// An audio server that is stopped but not gone (frozen) answers neither an
// open nor a close: SDL waits for it, for half a minute or for ever. So the
// device is opened on a thread of its own (the round plays meanwhile,
// silent), and closed with a deadline.
// A thread of SDL's own: SDL frees what it keeps for a thread (its error
// text) only for the threads it made.
void runDetached(const char* name, std::function<void()> work) {
    auto* task = new std::function<void()>(std::move(work));
    SDL_Thread* thread = SDL_CreateThread(
        [](void* data) {
            std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(data));
            (*run)();
            return 0;
        },
        name, task);
    if (thread == nullptr) {
        // No thread to be had: done here, waiting if it must.
        std::unique_ptr<std::function<void()>> run(task);
        (*run)();
        return;
    }
    SDL_DetachThread(thread);
}

void startOpening(SdlShell& shell, bool initAudio) {
    auto opening = std::make_shared<SoundOpening>();
    shell.soundOpening = opening;
    shell.soundTriedAt = SDL_GetTicks();
    runDetached("korvada-sound", [opening, initAudio] {
        // Audio apart from video: a bad audio driver must not cost the picture.
        if (!initAudio || SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            SDL_AudioSpec want = {};
            want.freq = 44100;
            want.format = AUDIO_S16SYS;
            want.channels = 2;
            want.samples = 1024;
            // No allowed changes: SDL converts to the hardware, we convert to this.
            opening->device = SDL_OpenAudioDevice(nullptr, 0, &want, &opening->format, 0);
        }
        opening->done = true;
    });
}

// Waits for `done` for at most kSoundAnswerMs.
bool answered(const std::atomic<bool>& done) {
    const Uint32 deadline = SDL_GetTicks() + kSoundAnswerMs;
    while (!done && !SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) SDL_Delay(10);
    return done;
}

// SDL keeps a lost device open but silent for good: it is closed, and a new
// one opened once the system has one again.
void loseDevice(SdlShell& shell) {
    SDL_CloseAudioDevice(shell.audioDevice);
    shell.audioDevice = 0;
    shell.soundLost = true;
    shell.soundTriedAt = SDL_GetTicks();
    std::fprintf(stderr, "korvada: the sound device went away: no sound until it is back\n");
}

// The device the opening thread got, if any, becomes the game's.
void takeOpenedDevice(SdlShell& shell) {
    const std::shared_ptr<SoundOpening> opened = std::move(shell.soundOpening);
    shell.audioDevice = opened->device;
    if (shell.audioDevice == 0) return;
    // The cues were converted for the device they were first played on.
    const SDL_AudioSpec& got = opened->format;
    if (got.freq != shell.audioSpec.freq || got.format != shell.audioSpec.format ||
        got.channels != shell.audioSpec.channels)
        shell.cues.clear();
    shell.audioSpec = got;
    SDL_PauseAudioDevice(shell.audioDevice, 0);
    // Lost while it was being opened: its removal went by unheeded.
    if (SDL_GetAudioDeviceStatus(shell.audioDevice) == SDL_AUDIO_STOPPED) {
        loseDevice(shell);
        return;
    }
    if (shell.soundLost) std::fprintf(stderr, "korvada: the sound is back\n");
    shell.soundLost = false;
}

void giveUpSound(SdlShell& shell) {
    shell.soundStuck = true;
    std::fprintf(stderr, "korvada: the sound device does not answer: the game ends without it\n");
}
}  // namespace

void openSound(SdlShell& shell) { startOpening(shell, true); }

void closeSound(SdlShell& shell) {
    if (shell.soundOpening) {
        if (!answered(shell.soundOpening->done)) {
            giveUpSound(shell);
            return;
        }
        takeOpenedDevice(shell);
    }
    if (shell.audioDevice != 0) {
        auto closing = std::make_shared<std::atomic<bool>>(false);
        runDetached("korvada-sound", [device = shell.audioDevice, closing] {
            SDL_CloseAudioDevice(device);
            *closing = true;
        });
        if (!answered(*closing)) giveUpSound(shell);
    }
    shell.audioDevice = 0;
    shell.soundLost = false;
}

void handleSoundEvent(SdlShell& shell, const SDL_AudioDeviceEvent& event) {
    if (event.iscapture) return;
    if (event.type == SDL_AUDIODEVICEREMOVED && event.which == shell.audioDevice && shell.audioDevice != 0)
        loseDevice(shell);
    else if (event.type == SDL_AUDIODEVICEADDED && shell.soundLost && !shell.soundOpening)
        startOpening(shell, false);
}

void keepSoundAlive(SdlShell& shell) {
    if (shell.soundOpening) {
        if (shell.soundOpening->done) takeOpenedDevice(shell);
    } else if (shell.soundLost && SDL_TICKS_PASSED(SDL_GetTicks(), shell.soundTriedAt + kSoundRetryMs)) {
        startOpening(shell, false);
    }
}

void playSoundFile(SdlShell& shell, const char* fileName) {
    if (shell.audioDevice == 0 || fileName == nullptr) return;
    auto found = shell.cues.find(fileName);
    if (found == shell.cues.end()) found = shell.cues.emplace(fileName, loadWavFor(fileName, shell.audioSpec)).first;
    if (found->second.empty()) return;  // nothing to play leaves the last cue playing
    SDL_ClearQueuedAudio(shell.audioDevice);
    SDL_QueueAudio(shell.audioDevice, found->second.data(), static_cast<Uint32>(found->second.size()));
}
