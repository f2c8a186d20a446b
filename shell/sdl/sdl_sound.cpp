// The game's cues on one SDL audio device. Each cue replaces the one still
// playing, as the game expects of its sound service; failures are silent,
// and a device that goes away is looked for again while the game plays.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "shell/sdl/sdl_shell.h"

namespace {
// A lost device is asked for again no oftener than this: an audio server
// that is gone refuses at once, but a slow one should not cost frames.
constexpr Uint32 kSoundRetryMs = 1000;
// A device's close takes milliseconds, a lost one's a tenth of a second.
constexpr int kSoundCloseMs = 2000;

bool openDevice(SdlShell& shell) {
    SDL_AudioSpec want = {};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    // No allowed changes: SDL converts to the hardware, we convert to this.
    SDL_AudioSpec got = {};
    shell.audioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    if (shell.audioDevice == 0) return false;
    // The cues were converted for the device they were first played on.
    if (got.freq != shell.audioSpec.freq || got.format != shell.audioSpec.format ||
        got.channels != shell.audioSpec.channels)
        shell.cues.clear();
    shell.audioSpec = got;
    SDL_PauseAudioDevice(shell.audioDevice, 0);
    return true;
}

void retrySound(SdlShell& shell) {
    shell.soundTriedAt = SDL_GetTicks();
    if (!openDevice(shell)) return;
    shell.soundLost = false;
    std::fprintf(stderr, "korvada: the sound is back\n");
}
}  // namespace

void openSound(SdlShell& shell) {
    // Audio apart from video: a bad audio driver must not cost the picture.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    openDevice(shell);
}

// Closing a device waits for SDL's audio thread, which an audio server that
// is stopped but not gone (frozen) never lets go: the close gets a few
// seconds on a thread of its own, and past them the device is left behind.
void closeSound(SdlShell& shell) {
    if (shell.audioDevice != 0) {
        auto closing = std::make_shared<std::promise<void>>();
        std::future<void> closed = closing->get_future();
        std::thread([device = shell.audioDevice, closing] {
            SDL_CloseAudioDevice(device);
            closing->set_value();
        }).detach();
        if (closed.wait_for(std::chrono::milliseconds(kSoundCloseMs)) == std::future_status::timeout) {
            shell.soundStuck = true;
            std::fprintf(stderr, "korvada: the sound device does not answer: the game ends without it\n");
        }
    }
    shell.audioDevice = 0;
    shell.soundLost = false;
}

// SDL keeps a lost device open but silent for good: it is closed, and a new
// one opened once the system has one again.
void handleSoundEvent(SdlShell& shell, const SDL_AudioDeviceEvent& event) {
    if (event.iscapture) return;
    if (event.type == SDL_AUDIODEVICEREMOVED && event.which == shell.audioDevice && shell.audioDevice != 0) {
        SDL_CloseAudioDevice(shell.audioDevice);
        shell.audioDevice = 0;
        shell.soundLost = true;
        shell.soundTriedAt = SDL_GetTicks();
        std::fprintf(stderr, "korvada: the sound device went away: no sound until it is back\n");
    } else if (event.type == SDL_AUDIODEVICEADDED && shell.soundLost) {
        retrySound(shell);
    }
}

void keepSoundAlive(SdlShell& shell) {
    if (shell.soundLost && SDL_TICKS_PASSED(SDL_GetTicks(), shell.soundTriedAt + kSoundRetryMs)) retrySound(shell);
}

std::vector<uint8_t> loadWavFor(const char* fileName, const SDL_AudioSpec& device) {
    SDL_AudioSpec wav;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(fileName, &wav, &data, &length) == nullptr) return {};

    std::vector<uint8_t> samples;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, device.format, device.channels,
                          device.freq) >= 0) {
        // The conversion works in place and may need len_mult times the input.
        samples.resize(static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult));
        if (length > 0) std::memcpy(samples.data(), data, length);
        cvt.buf = samples.data();
        cvt.len = static_cast<int>(length);
        if (cvt.needed && SDL_ConvertAudio(&cvt) != 0)
            samples.clear();
        else
            samples.resize(static_cast<size_t>(cvt.needed ? cvt.len_cvt : static_cast<int>(length)));
    }
    SDL_FreeWAV(data);
    return samples;
}

void playSoundFile(SdlShell& shell, const char* fileName) {
    if (shell.audioDevice == 0 || fileName == nullptr) return;
    auto found = shell.cues.find(fileName);
    if (found == shell.cues.end()) found = shell.cues.emplace(fileName, loadWavFor(fileName, shell.audioSpec)).first;
    if (found->second.empty()) return;  // nothing to play leaves the last cue playing
    SDL_ClearQueuedAudio(shell.audioDevice);
    SDL_QueueAudio(shell.audioDevice, found->second.data(), static_cast<Uint32>(found->second.size()));
}
