#include "game_data.h"

#include "pictures.h"
#include "sounds.h"

namespace {

// The ground takes nine tenths of the time; the other files share the rest.
constexpr float kGroundShare = 0.9f;
constexpr int kOtherFiles = 12;

}  // namespace

bool writeGameData(const std::string& dir, const DataProgress& progress) {
    const auto tell = [&](float done) {
        if (progress) progress(done);
    };
    int othersDone = 0;
    const auto written = [&](bool ok) {
        tell(kGroundShare + (1 - kGroundShare) * static_cast<float>(++othersDone) / kOtherFiles);
        return ok;
    };
    tell(0);
    bool ok = writeBmp(makeGround([&](float done) { tell(kGroundShare * done); }), dir + "/air.bmp") &&
              written(writeBmp(makeSky(), dir + "/oblaka.bmp")) &&
              written(writeBmp(makePlayerBottle(), dir + "/lahev2.bmp")) &&
              written(writeBmp(makeOtherBottle(), dir + "/flaska.bmp")) &&
              written(writeBmp(makeFont(), dir + "/font.bmp")) &&
              written(writeBmp(makeEndScreen(), dir + "/tamrisol.bmp"));
    for (int i = 0; ok && i < 3; ++i) {
        const std::string number = "0" + std::to_string(i + 1);
        ok = written(writeWav(makeKnock(i), dir + "/tuk" + number + ".wav")) &&
             written(writeWav(makePlayerKnock(i), dir + "/tukm" + number + ".wav"));
    }
    return ok && written(writeWav(makePlop(), dir + "/zblunk.wav"));
}
