#pragma once
// The bottle: a solid of revolution hanging mouth down, its axis along
// model y from the mouth at -20.5 to the base at 12.5.

#include <cstdint>

#include "core/texture.h"

// Emits the mouth disc, neck, shoulder, body and base disc with the current
// matrix, colour, texture and blend state; sets the colour of the base disc
// itself. `depthScale` squeezes the shoulder and body along z.
void drawBottleMesh(int32_t segments, float depthScale);

// One bottle at (x, y, z) with `texture` bound, leaning into its sideways
// motion (vx, vz); textureIndex (a bottle place of SceneTexture) picks the
// shape that goes with the picture. Blends when `blending` is non-zero.
void drawBottle(Texture texture, int32_t textureIndex, float x, float y, float z, float vx, float vz, int32_t blending);
