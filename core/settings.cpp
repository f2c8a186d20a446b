#include "core/settings.h"

#include "core/platform.h"

const char* const kBadLaunchCodeMessage = "Chybné parametry programu - spusťte KorvadaSetup.exe";

int decodeLaunchCode(const PlatformServices& platform, const std::string& tail, GameSettings* settings) {
    if (parseLaunchCode(tail, settings)) return 1;
    platform.showError(platform.shell, kBadLaunchCodeMessage);
    return 0;
}

Resolution resolutionOf(const GameSettings& settings) { return resolutionTable[settings.resolutionIndex]; }

std::string windowsCommandTail(const char* commandLine) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
    if (*p == '"') {
        ++p;
        while (*p != 0 && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p > ' ') ++p;
    }
    while (*p != 0 && *p <= ' ') ++p;
    return reinterpret_cast<const char*>(p);
}

std::string joinArguments(int argc, const char* const* argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) tail += ' ';
        tail += argv[i];
    }
    return tail;
}
