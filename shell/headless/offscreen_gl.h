#pragma once
// An OpenGL context without a window (OSMesa, software rendering), for the
// drawing tests, korvada-shot and the render benchmark. Row 0 of pixels()
// is the bottom row of the picture.

#include <cstddef>
#include <cstdint>
#include <vector>

class OffscreenGl {
public:
    // Creates an RGBA context with a depth buffer and makes it current.
    // Returns false (with the reason on stderr) when OSMesa cannot.
    bool open(int width, int height);
    ~OffscreenGl();

    int width() const { return width_; }
    int height() const { return height_; }
    // RGBA, 4 bytes a pixel, bottom row first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    const uint8_t* pixel(int x, int y) const { return &pixels_[(static_cast<size_t>(y) * width_ + x) * 4]; }

private:
    void* context_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};
