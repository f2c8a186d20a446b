// Writes the game's pictures and sounds into the folder given as the only
// argument. The output depends on nothing but this program, so every run
// writes the same bytes.

#include <cstdio>
#include <string>

#include "pictures.h"
#include "sounds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvada-datagen OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = writeBmp(makeGround(), dir + "air.bmp") && writeBmp(makeSky(), dir + "oblaka.bmp") &&
              writeBmp(makePlayerBottle(), dir + "lahev2.bmp") && writeBmp(makeOtherBottle(), dir + "flaska.bmp") &&
              writeBmp(makeFont(), dir + "font.bmp") && writeBmp(makeEndScreen(), dir + "tamrisol.bmp");
    for (int i = 0; ok && i < 3; ++i) {
        const std::string number = "0" + std::to_string(i + 1);
        ok = writeWav(makeKnock(i), dir + "tuk" + number + ".wav") &&
             writeWav(makePlayerKnock(i), dir + "tukm" + number + ".wav");
    }
    ok = ok && writeWav(makePlop(), dir + "zblunk.wav");
    if (!ok) {
        std::fprintf(stderr, "korvada-datagen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
