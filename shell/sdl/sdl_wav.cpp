// A cue file as the device plays it: a WAV file read through SDL, its
// samples converted to the device's format, whole frames only.

#include <cstring>

#include "shell/sdl/sdl_shell.h"

namespace {
// Whether each chunk after a RIFF file's header fits in the file. SDL sets
// aside what a chunk claims before it reads it: a damaged file of a few
// bytes whose data chunk claims 4 GB would cost that much memory, to play
// the few bytes there are.
bool chunksFit(const Uint8* file, size_t size) {
    const auto field = [file](size_t at) {
        return Uint32(file[at]) | Uint32(file[at + 1]) << 8 | Uint32(file[at + 2]) << 16 | Uint32(file[at + 3]) << 24;
    };
    if (size < 12 || size > 0x7fffffff) return false;
    for (size_t at = 12; at + 8 <= size;) {
        const size_t length = field(at + 4);
        if (length > size - at - 8) return false;
        at += 8 + length + (length & 1);  // chunks start on even bytes
    }
    return true;
}
}  // namespace

std::vector<uint8_t> loadWavFor(const char* fileName, const SDL_AudioSpec& device) {
    size_t size = 0;
    Uint8* file = static_cast<Uint8*>(SDL_LoadFile(fileName, &size));
    SDL_AudioSpec wav;
    Uint8* data = nullptr;
    Uint32 length = 0;
    const bool loaded = file != nullptr && chunksFit(file, size) &&
                        SDL_LoadWAV_RW(SDL_RWFromConstMem(file, static_cast<int>(size)), 1, &wav, &data, &length);
    SDL_free(file);
    if (!loaded) return {};

    // A file may claim a block size that does not hold its channels' samples,
    // and a converter fed part of a frame hands back part of one: the device
    // would play the rest of every cue a sample out of step.
    const Uint32 frame = SDL_AUDIO_BITSIZE(wav.format) / 8 * wav.channels;
    if (frame > 0) length -= length % frame;

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
