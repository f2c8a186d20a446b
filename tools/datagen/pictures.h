#pragma once
// The six pictures of the game, one function each. Row 0 of every image is
// its top as seen, which is the t = 1 edge once the game has uploaded it.

#include <functional>

#include "raster.h"

// "air.bmp": fields, woods, a river, roads and a village from above; takes
// most of the data's time, so it tells how far it is (0 to 1) when asked.
Image makeGround(const std::function<void(float)>& progress = nullptr);
Image makeSky();           // "oblaka.bmp": clouds from below, the top-left corner white
Image makePlayerBottle();  // "lahev2.bmp": blue glass, red label with stars, gold foil
Image makeOtherBottle();   // "flaska.bmp": green glass, cream label
Image makeFont();          // "font.bmp": digits 0-9 in a 4 x 4 grid, white on black
Image makeEndScreen();     // "tamrisol.bmp": the "Konec hry" title card
