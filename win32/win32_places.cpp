#include "win32/win32_places.h"

#include <windows.h>

#include <string>

#include "core/best_catches.h"
#include "korvada_data_files.h"

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

// A folder the environment names, or empty.
std::filesystem::path environmentFolder(const wchar_t* name) {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &folder[0], static_cast<DWORD>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length);
        length = GetEnvironmentVariableW(name, &folder[0], static_cast<DWORD>(folder.size()));
    }
    if (length == 0 || length >= folder.size()) return {};
    folder.resize(length);
    return folder;
}
}  // namespace

// The environment's APPDATA, as both programs see it: the game imports no
// shell library to ask for the folder.
std::filesystem::path bestCatchesFile() {
    const std::filesystem::path folder = environmentFolder(L"APPDATA");
    if (folder.empty()) return {};
    return folder / L"Korvada" / L"best-catches.txt";
}

std::filesystem::path savedChoiceFile() {
    const std::filesystem::path folder = environmentFolder(L"APPDATA");
    if (folder.empty()) return {};
    return folder / L"Korvada" / L"launch-code.txt";
}

std::filesystem::path bestRoundFile(int bottles) { return bestRoundFile(bestCatchesFile(), bottles); }

// The shell's own answer, from shell32 and ole32 loaded for the one call:
// the game imports neither, and asks only when a picture is taken.
std::filesystem::path picturesFolder() {
    using GetKnownFolder = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
    using FreeTaskMemory = void(WINAPI*)(void*);
    // FOLDERID_Pictures, as shlobj's knownfolders.h names it.
    static const GUID kPictures = {0x33E28130, 0x4E1E, 0x4676, {0x83, 0x5A, 0x98, 0x39, 0x5C, 0x3B, 0xC3, 0xBB}};
    std::filesystem::path folder;
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    HMODULE ole = LoadLibraryW(L"ole32.dll");
    const auto known = shell != nullptr ? reinterpret_cast<GetKnownFolder>(
                                              reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderPath")))
                                        : nullptr;
    const auto release = ole != nullptr ? reinterpret_cast<FreeTaskMemory>(
                                              reinterpret_cast<void*>(GetProcAddress(ole, "CoTaskMemFree")))
                                        : nullptr;
    PWSTR path = nullptr;
    if (known != nullptr && release != nullptr && SUCCEEDED(known(kPictures, 0, nullptr, &path))) folder = path;
    if (path != nullptr && release != nullptr) release(path);
    if (ole != nullptr) FreeLibrary(ole);
    if (shell != nullptr) FreeLibrary(shell);
    if (folder.empty()) {
        const std::filesystem::path profile = environmentFolder(L"USERPROFILE");
        if (profile.empty()) return {};
        folder = profile / L"Pictures";
    }
    return folder / L"Korvada";
}

DiskSteps diskSteps() { return {flushToDisk, lockBeside, unlockFile, processId}; }

bool holdsGameData(const std::filesystem::path& folder) {
    std::error_code error;
    for (const char* name : kGameDataFiles)
        if (!std::filesystem::is_regular_file(folder / name, error)) return false;
    return true;
}

std::string userLocaleName() {
    char name[16] = {};
    if (GetLocaleInfoA(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), LOCALE_SISO639LANGNAME, name, sizeof name) == 0)
        return "";
    return name;
}
