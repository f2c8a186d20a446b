#include "win32/display_modes.h"

#include <cstddef>

namespace {
constexpr WORD kDevModeSize = offsetof(DEVMODEA, dmPanningWidth);
static_assert(kDevModeSize == 148, "DEVMODEA without the panning fields is 148 bytes");
}  // namespace

bool readRegistryDesktopMode(DEVMODEA* mode) {
    *mode = DEVMODEA{};
    mode->dmSize = sizeof(DEVMODEA);
    return EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, mode) != 0;
}

DEVMODEA gameModeFor(const DEVMODEA& desktop, int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = kDevModeSize;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = desktop.dmBitsPerPel;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    return mode;
}
