#include "win32/win32_places.h"

#include <windows.h>

#include <string>

namespace {
// A writer holds the lock for a few milliseconds; one that holds it this
// long is stuck, and the round is not kept waiting for it.
constexpr DWORD kLockWaitMs = 5000;

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                   nullptr);
    std::string message = text != nullptr ? text : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

bool flushToDisk(const std::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return flushed;
}

// Another holder's open, or its lock file still going away after it let go,
// is worth waiting for; a folder the player cannot write is not.
bool heldByAnother(DWORD error, const std::filesystem::path& lockFile) {
    return error == ERROR_SHARING_VIOLATION ||
           (error == ERROR_ACCESS_DENIED && GetFileAttributesW(lockFile.c_str()) != INVALID_FILE_ATTRIBUTES);
}

bool lockBeside(const std::filesystem::path& file, FileLock* lock, std::string* error) {
    std::filesystem::path lockFile = file;
    lockFile += L".lock";
    const DWORD start = GetTickCount();
    for (;;) {
        HANDLE handle = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                    nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            lock->handle = reinterpret_cast<intptr_t>(handle);
            return true;
        }
        const DWORD reason = GetLastError();
        if (!heldByAnother(reason, lockFile) || GetTickCount() - start > kLockWaitMs) {
            *error = "cannot lock " + lockFile.u8string() + ": " +
                     (reason == ERROR_SHARING_VIOLATION ? "another program holds it" : systemMessage(reason));
            return false;
        }
        Sleep(5);
    }
}

void unlockFile(FileLock* lock) {
    if (lock->handle == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(lock->handle));
    lock->handle = -1;
}

unsigned long processId() { return GetCurrentProcessId(); }
}  // namespace

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

DiskSteps diskSteps() { return {flushToDisk, lockBeside, unlockFile, processId}; }
