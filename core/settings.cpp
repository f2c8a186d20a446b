#include "core/settings.h"

#include "core/platform.h"

const char* const kBadLaunchCodeMessage = "Chybné parametry programu - spusťte KorvadaSetup.exe";

int decodeLaunchCode(const std::string& tail, GameSettings* settings) {
    if (tail.size() != 5) {
        platformShowError(kBadLaunchCodeMessage);
        return 0;
    }
    // Characters are signed 8-bit values, so anything from 128 up is negative.
    const auto code = [&](int i) { return static_cast<int32_t>(static_cast<signed char>(tail[i])); };

    GameSettings decoded;
    decoded.resolutionIndex = code(0) - '0';
    decoded.colorCode = tail[1] == 'H' ? 'H' : 'T';
    decoded.blending = tail[2] == 'N' ? 0 : 1;
    decoded.bottleCount = code(3) - 'A';
    decoded.sound = tail[4] == 'N' ? 0 : 1;

    // Values no table holds are refused like a malformed code: the setup
    // program never writes them, so they mean the command line was typed wrong.
    if (decoded.resolutionIndex < 0 || decoded.resolutionIndex >= kResolutionCount ||
        decoded.bottleCount < 0 || decoded.bottleCount > kMaxBottles) {
        platformShowError(kBadLaunchCodeMessage);
        return 0;
    }
    *settings = decoded;
    return 1;
}

int32_t bottlesToLay(const GameSettings& settings) {
    return settings.bottleCount == 0 ? kDefaultBottleCount : settings.bottleCount;
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
