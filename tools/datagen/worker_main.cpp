// The data generator in the browser: run in Web Workers by the page on a
// first visit (shell/web/game_data.js). The page starts as many workers as
// the device has cores to spare (up to four) and gives each a part: worker
// `part` of `parts` makes its band of the ground picture's rows, and the
// first also every other file. Each file and band goes to worker.js, which
// hands it on; the page hears how far the worker is on the way.
//
//   callMain([part, parts])

#include <emscripten.h>

#include <cstdlib>

#include "game_data.h"
#include "pictures.h"

int main(int argc, char** argv) {
    const int part = argc == 3 ? std::atoi(argv[1]) : 0;
    const int parts = argc == 3 ? std::atoi(argv[2]) : 1;
    // The first worker's band is the smaller by about the time the other
    // files take (groundBand), which are a tenth of its work.
    const float bandShare = part == 0 ? 0.9f : 1.0f;
    const auto tell = [](float done) { EM_ASM({ postMessage({progress : $0}); }, done); };
    const RowBand band = groundBand(part, parts);
    const auto rows = groundRows(band.top, band.bottom, [&](float done) { tell(bandShare * done); });
    EM_ASM({ groundBandMade($0, $1, $2, $3); }, band.top, band.bottom, rows.data(), rows.size());
    if (part != 0) return 0;
    for (int i = 0; i < kOtherFileCount; ++i) {
        const auto bytes = makeOtherFile(i);
        EM_ASM({ fileMade(UTF8ToString($0), $1, $2); }, otherFileName(i), bytes.data(), bytes.size());
        tell(bandShare + (1 - bandShare) * static_cast<float>(i + 1) / kOtherFileCount);
    }
    // Last: the first worker's own work is done when worker.js has it.
    const auto header = groundFileHeader();
    EM_ASM({ groundHeaderMade(UTF8ToString($0), $1, $2, $3); }, kGroundFile, kGroundSize, header.data(),
           header.size());
    return 0;
}
