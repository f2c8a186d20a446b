// The game's sound files as the Linux game loads them: SDL_LoadWAV, then the
// conversion to the audio device's format in loadWavFor
// (shell/sdl/sdl_wav.cpp), from a real file. The device's format comes
// from the input's first byte: the one the game asks for, and others a
// device may give. What loadWavFor promises: whole frames of the device's
// format, or nothing.

#include <SDL.h>

#include "fuzz/fuzz_input.h"
#include "shell/sdl/sdl_shell.h"

namespace {
SDL_AudioSpec deviceFormat(uint8_t choice) {
    static const SDL_AudioSpec formats[] = {
        {44100, AUDIO_S16SYS, 2, 0, 1024, 0, 0, nullptr, nullptr},
        {48000, AUDIO_F32SYS, 2, 0, 1024, 0, 0, nullptr, nullptr},
        {22050, AUDIO_U8, 1, 0, 512, 0, 0, nullptr, nullptr},
        {96000, AUDIO_S32SYS, 6, 0, 4096, 0, 0, nullptr, nullptr},
    };
    return formats[choice % 4];
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const SDL_AudioSpec device = deviceFormat(data[0]);
    const std::vector<uint8_t> samples = loadWavFor(inputFile(data + 1, size - 1).c_str(), device);
    const size_t frame = SDL_AUDIO_BITSIZE(device.format) / 8 * device.channels;
    check(samples.size() % frame == 0);
    return 0;
}
