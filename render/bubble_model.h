#pragma once
// The bubble: a band wound seven times around model z, inner radius 3 and
// outer radius 6, two ribbons laid one upon the other.

#include <cstdint>

// Emits both ribbons with the current matrix, colour, texture, texture
// coordinate and blend state; `segments` positions per turn.
void drawBubbleMesh(int32_t segments);

// One bubble at (x, y, z) in its blue, with the texture and texture
// coordinate the caller left; blends when `blending` is non-zero.
void drawBubble(float x, float y, float z, int32_t blending);
