// The player's own pad mappings, ~/.config/korvada/gamecontrollerdb.txt,
// read as the game and its dialog read them at the start: startGamepads
// hands the file to SDL's game controllers (linux/sdl_pad_state.cpp). SDL
// keeps what it read until its game controllers stop, so each input starts
// and stops them, as one run of the game does.

#include <SDL.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "linux/sdl_pad_state.h"

namespace {
// XDG_CONFIG_HOME pointed at a folder of the fuzzer's own, once; and SDL's
// joysticks started once for the whole run, as looking for devices is most
// of a start's time (the game controllers stop and start on top of them).
const std::string& mappingsFile() {
    static const std::string file = [] {
        check(SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0);
        char folder[] = "/tmp/korvada-pad-fuzz.XXXXXX";
        check(mkdtemp(folder) != nullptr);
        setenv("XDG_CONFIG_HOME", folder, 1);
        check(std::system(("mkdir -p " + std::string(folder) + "/korvada").c_str()) == 0);
        return padMappingsFile();
    }();
    return file;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(mappingsFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    check(startGamepads("pad_mapping_fuzz"));
    // What the file added (the last of SDL's list) is asked for, as a pad
    // plugged in would be.
    const int count = SDL_GameControllerNumMappings();
    for (int i = count > 8 ? count - 8 : 0; i < count; ++i) SDL_free(SDL_GameControllerMappingForIndex(i));
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    return 0;
}
