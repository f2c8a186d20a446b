#include "game_data.h"

#include "pictures.h"
#include "sounds.h"

namespace {

// The ground takes nine tenths of the time; the other files share the rest.
constexpr float kGroundShare = 0.9f;

using Maker = std::vector<unsigned char> (*)();

struct OtherFile {
    const char* name;
    Maker make;
};

template <Image (*makePicture)()>
std::vector<unsigned char> picture() {
    return bmpBytes(makePicture());
}

template <Sound (*makeSound)(int), int variant>
std::vector<unsigned char> sound() {
    return wavBytes(makeSound(variant));
}

std::vector<unsigned char> plop() { return wavBytes(makePlop()); }

const OtherFile kOtherFiles[kOtherFileCount] = {
    {"oblaka.bmp", picture<makeSky>},
    {"lahev2.bmp", picture<makePlayerBottle>},
    {"flaska.bmp", picture<makeOtherBottle>},
    {"font.bmp", picture<makeFont>},
    {"tamrisol.bmp", picture<makeEndScreen>},
    {"tuk01.wav", sound<makeKnock, 0>},
    {"tukm01.wav", sound<makePlayerKnock, 0>},
    {"tuk02.wav", sound<makeKnock, 1>},
    {"tukm02.wav", sound<makePlayerKnock, 1>},
    {"tuk03.wav", sound<makeKnock, 2>},
    {"tukm03.wav", sound<makePlayerKnock, 2>},
    {"zblunk.wav", plop},
};

}  // namespace

RowBand groundBand(int part, int parts) {
    // In rows of the ground, the other files take about as long as this
    // many (measured: a tenth of the ground's time).
    constexpr int kOtherFilesRows = kGroundSize / 10;
    const auto boundary = [&](int i) {
        if (i == 0) return 0;
        if (i == parts) return kGroundSize;
        return (i * (kGroundSize + kOtherFilesRows)) / parts - kOtherFilesRows;
    };
    return {boundary(part), boundary(part + 1)};
}

std::vector<unsigned char> groundFileHeader() { return bmpHeader(kGroundSize, kGroundSize); }

const char* otherFileName(int index) { return kOtherFiles[index].name; }

std::vector<unsigned char> makeOtherFile(int index) { return kOtherFiles[index].make(); }

bool writeGameData(const std::string& dir, const DataProgress& progress) {
    const auto tell = [&](float done) {
        if (progress) progress(done);
    };
    std::vector<unsigned char> ground = groundFileHeader();
    const std::vector<unsigned char> rows = groundRows(0, kGroundSize, [&](float done) { tell(kGroundShare * done); });
    ground.insert(ground.end(), rows.begin(), rows.end());
    bool ok = writeBytes(ground, dir + "/" + kGroundFile);
    for (int i = 0; ok && i < kOtherFileCount; ++i) {
        ok = writeBytes(makeOtherFile(i), dir + "/" + otherFileName(i));
        tell(kGroundShare + (1 - kGroundShare) * static_cast<float>(i + 1) / kOtherFileCount);
    }
    return ok;
}
