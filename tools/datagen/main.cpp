// Writes the game's pictures and sounds into the folder given as the first
// argument and, when a second folder is given, the game's icon there (PNGs
// for the desktop's icon theme and a Windows .ico). The icon is not game
// data: the game's folder holds only what the game reads. The output depends
// on nothing but this program, so every run writes the same bytes.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "game_data.h"
#include "icon.h"

namespace {

// korvada-<size>.png for each size of the icon theme, korvada.ico, and the
// pixels the Linux game gives its window; each size drawn once, and each
// PNG encoded once, though the theme, the window and the .ico share some.
bool writeIcons(const std::string& dir) {
    std::map<int, Icon> icons;
    std::map<int, std::vector<unsigned char>> pngs;
    const auto icon = [&](int size) -> const Icon& {
        auto made = icons.find(size);
        return made != icons.end() ? made->second : icons.emplace(size, makeIcon(size)).first->second;
    };
    const auto png = [&](const Icon& drawn) {
        auto made = pngs.find(drawn.size);
        return made != pngs.end() ? made->second : pngs.emplace(drawn.size, encodePng(drawn)).first->second;
    };
    for (int size : kIconThemeSizes) {
        const std::vector<unsigned char>& bytes = png(icon(size));
        if (bytes.empty() || !writeBytes(bytes, dir + "korvada-" + std::to_string(size) + ".png")) return false;
    }
    if (!writePixelHeader(icon(kWindowIconSize), dir + "korvada_icon_pixels.h")) return false;
    std::vector<Icon> ico;
    for (int size : kIcoSizes) ico.push_back(icon(size));
    return writeIco(ico, dir + "korvada.ico", png);
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
