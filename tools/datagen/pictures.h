#pragma once
// The six pictures of the game, one function each. Row 0 of every image is
// its top as seen, which is the t = 1 edge once the game has uploaded it.

#include <functional>
#include <vector>

#include "raster.h"

// "air.bmp": fields, woods, a river, roads and a village from above, 2048
// pixels square. It takes most of the data's time, so it is made in bands of
// rows that may be made apart (the browser's workers share it out): rows
// [top, bottom) of the picture, row 0 at the top as seen, in the file's
// order, from the bottom row up, blue, green and red bytes. The whole file
// is bmpHeader(kGroundSize, kGroundSize) and then groundRows(0, kGroundSize).
// Tells how far it is (0 to 1) when asked.
constexpr int kGroundSize = 2048;
std::vector<unsigned char> groundRows(int top, int bottom, const std::function<void(float)>& progress = nullptr);
Image makeSky();           // "oblaka.bmp": clouds from below, the top-left corner white
Image makePlayerBottle();  // "lahev2.bmp": blue glass, red label with stars, gold foil
Image makeOtherBottle();   // "flaska.bmp": green glass, cream label
Image makeFont();          // "font.bmp": digits 0-9 in a 4 x 4 grid, white on black
Image makeEndScreen();     // "tamrisol.bmp": the "Konec hry" title card
