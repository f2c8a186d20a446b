#include "win32/win32_places.h"

#include <windows.h>

#include <string>

// The environment's APPDATA, as both programs see it: the game imports no
// shell library to ask for the folder.
std::filesystem::path bestCatchesFile() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = GetEnvironmentVariableW(L"APPDATA", &folder[0], static_cast<DWORD>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length);
        length = GetEnvironmentVariableW(L"APPDATA", &folder[0], static_cast<DWORD>(folder.size()));
    }
    if (length == 0 || length >= folder.size()) return {};
    folder.resize(length);
    return std::filesystem::path(folder) / L"Korvada" / L"best-catches.txt";
}

bool flushToDisk(const std::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return flushed;
}
