#pragma once
// The game's icon: the player's blue bottle with its red label and a bubble
// beside it, on a transparent ground. Drawn afresh for every size, on a grid
// of 16 cells so that the edges land on whole pixels at 16, 32, 48 ... px and
// the smallest size stays sharp.

#include <functional>
#include <string>
#include <vector>

#include "raster.h"

// Colour with straight (not premultiplied) alpha, row 0 at the top.
struct Icon {
    int size;
    Image colour;
    Mask alpha;

    explicit Icon(int px) : size(px), colour(px, px, {}), alpha(px, px) {}
};

Icon makeIcon(int size);

// The sizes of the icon theme's PNGs and the ones inside the .ico.
extern const std::vector<int> kIconThemeSizes;
constexpr int kWindowIconSize = 64;
extern const std::vector<int> kIcoSizes;

// 8-bit RGBA PNG. Returns the file's bytes, empty on failure.
std::vector<unsigned char> encodePng(const Icon& icon);
// A Windows icon file holding one image per icon: sizes up to 64 as 32-bit
// bitmaps with their AND mask (read by every Windows version), larger ones
// as PNG (Windows Vista and later), encoded by `png` (one already made may
// be handed back).
bool writeIco(const std::vector<Icon>& icons, const std::string& path,
              const std::function<std::vector<unsigned char>(const Icon&)>& png = encodePng);
// A C++ header holding the icon's RGBA pixels, for a program that sets its
// window's icon itself.
bool writePixelHeader(const Icon& icon, const std::string& path);
