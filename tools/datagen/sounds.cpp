#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster.h"

namespace {

constexpr float kTwoPi = 6.28318531f;

// One ringing mode of the glass: frequency, loudness and decay time.
struct Partial {
    float hz;
    float amplitude;
    float decaySeconds;
};

// A struck glass body: inharmonic partials ringing down after a short noise
// click of the impact.
Sound strike(const std::vector<Partial>& partials, float seconds, float clickSeconds, uint32_t seed) {
    Sound sound;
    int count = static_cast<int>(seconds * kSampleRate);
    Dice noise(seed);
    float lowPassed = 0;
    for (int i = 0; i < count; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float v = 0;
        for (const Partial& p : partials) v += p.amplitude * std::exp(-t / p.decaySeconds) * std::sin(kTwoPi * p.hz * t);
        // The click: noise, softened by a one-pole low-pass, gone in a few ms.
        lowPassed += 0.35f * (noise.range(-1, 1) - lowPassed);
        v += 0.6f * lowPassed * std::exp(-t / clickSeconds);
        // A 1 ms attack avoids a step at the start.
        v *= std::min(1.0f, t / 0.001f);
        sound.samples.push_back(v);
    }
    return sound;
}

// Scales to the given peak and fades the last 15 ms, so nothing clips and
// nothing clicks at the end.
Sound finish(Sound sound, float peak) {
    float loudest = 0;
    for (float v : sound.samples) loudest = std::max(loudest, std::fabs(v));
    int fade = static_cast<int>(0.015f * kSampleRate);
    int n = static_cast<int>(sound.samples.size());
    for (int i = 0; i < n; ++i) {
        float gain = loudest > 0 ? peak / loudest : 0;
        if (i > n - fade) gain *= static_cast<float>(n - i) / static_cast<float>(fade);
        sound.samples[static_cast<size_t>(i)] *= gain;
    }
    return sound;
}

}  // namespace

Sound makeKnock(int variant) {
    // A small bottle's wall modes stand at roughly 1 : 2.3 : 4.2 : 6.6.
    static const float base[] = {1320, 1560, 1180};
    float f = base[variant];
    float detune = 1 + 0.02f * static_cast<float>(variant);
    return finish(strike({{f, 1.0f, 0.06f},
                          {f * 2.32f * detune, 0.55f, 0.045f},
                          {f * 4.25f, 0.3f, 0.03f},
                          {f * 6.63f / detune, 0.15f, 0.02f}},
                         0.22f, 0.003f, 100 + static_cast<uint32_t>(variant)),
                  0.55f);
}

Sound makePlayerKnock(int variant) {
    // Lower and longer, with a thump of the body under the ring.
    static const float base[] = {640, 720, 560};
    float f = base[variant];
    float detune = 1 + 0.03f * static_cast<float>(variant);
    return finish(strike({{150 + 20 * static_cast<float>(variant), 0.9f, 0.05f},
                          {f, 1.0f, 0.11f},
                          {f * 2.27f * detune, 0.6f, 0.08f},
                          {f * 4.1f, 0.35f, 0.05f},
                          {f * 6.5f / detune, 0.2f, 0.03f}},
                         0.36f, 0.005f, 200 + static_cast<uint32_t>(variant)),
                  0.9f);
}

Sound makePlop() {
    // A bubble bursting: a tone sweeping quickly up as the cavity closes,
    // then a softer, lower second blip.
    Sound sound;
    int count = static_cast<int>(0.26f * kSampleRate);
    float phase = 0;
    for (int i = 0; i < count; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float hz = 260 + 1100 * (1 - std::exp(-t / 0.035f));
        phase += kTwoPi * hz / kSampleRate;
        float envelope = std::min(1.0f, t / 0.002f) * std::exp(-t / 0.045f);
        float v = envelope * std::sin(phase);
        float t2 = t - 0.085f;
        if (t2 > 0) {
            float hz2 = 420 + 500 * (1 - std::exp(-t2 / 0.02f));
            v += 0.35f * std::min(1.0f, t2 / 0.002f) * std::exp(-t2 / 0.03f) * std::sin(kTwoPi * hz2 * t2);
        }
        sound.samples.push_back(v);
    }
    return finish(sound, 0.7f);
}

std::vector<unsigned char> wavBytes(const Sound& sound) {
    const uint32_t dataBytes = static_cast<uint32_t>(sound.samples.size()) * 2;
    std::vector<unsigned char> out{'R', 'I', 'F', 'F'};
    putU32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(out, 16);  // fmt chunk size
    putU16(out, 1);   // PCM
    putU16(out, 1);   // mono
    putU32(out, kSampleRate);
    putU32(out, kSampleRate * 2);  // bytes per second
    putU16(out, 2);                // bytes per frame
    putU16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putU32(out, dataBytes);
    for (float v : sound.samples) {
        long sample = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        putU16(out, static_cast<uint32_t>(sample) & 0xFFFF);
    }
    return out;
}
