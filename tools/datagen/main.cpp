// Writes the game's pictures and sounds into the folder given as the first
// argument and, when a second folder is given, the game's icon there (PNGs
// for the desktop's icon theme and a Windows .ico). The icon is not game
// data: the game's folder holds only what the game reads. The output depends
// on nothing but this program, so every run writes the same bytes.

#include <cstdio>
#include <string>
#include <vector>

#include "game_data.h"
#include "icon.h"

namespace {

// korvada-<size>.png for each size of the icon theme, korvada.ico, and the
// pixels the Linux game gives its window.
bool writeIcons(const std::string& dir) {
    for (int size : kIconThemeSizes)
        if (!writePng(makeIcon(size), dir + "korvada-" + std::to_string(size) + ".png")) return false;
    if (!writePixelHeader(makeIcon(kWindowIconSize), dir + "korvada_icon_pixels.h")) return false;
    std::vector<Icon> icons;
    for (int size : kIcoSizes) icons.push_back(makeIcon(size));
    return writeIco(icons, dir + "korvada.ico");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: korvada-datagen OUTPUT_DIR [ICON_DIR]\n");
        return 2;
    }
    const bool ok = writeGameData(argv[1]);
    if (!ok) {
        std::fprintf(stderr, "korvada-datagen: cannot write into %s\n", argv[1]);
        return 1;
    }
    if (argc == 3 && !writeIcons(std::string(argv[2]) + "/")) {
        std::fprintf(stderr, "korvada-datagen: cannot write into %s\n", argv[2]);
        return 1;
    }
    return 0;
}
