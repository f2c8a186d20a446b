#pragma once
// The bottle: a solid of revolution hanging mouth down, its axis along
// model y from the mouth at -20.5 to the base at 12.5.

#include <cstdint>

// Emits the mouth disc, neck, shoulder, body and base disc with the current
// matrix, colour, texture and blend state; sets the colour of the base disc
// itself. `depthScale` squeezes the shoulder and body along z.
void drawBottleMesh(int32_t segments, float depthScale);
