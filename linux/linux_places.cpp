#include "linux/linux_places.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/best_catches.h"
#include "korvada_data_files.h"

namespace {
// A writer holds the lock for a few milliseconds; one that holds it this
// long is stuck, and the round is not kept waiting for it.
constexpr auto kLockWait = std::chrono::seconds(5);

bool flushToDisk(const std::filesystem::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

bool lockFolder(const std::filesystem::path& file, FileLock* lock, std::string* error) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot lock " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if ((reason != EWOULDBLOCK && reason != EINTR) || std::chrono::steady_clock::now() > deadline) {
            close(fd);
            *error = "cannot lock " + folder.string() + ": " +
                     (reason == EWOULDBLOCK ? "another program holds it" : std::strerror(reason));
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    lock->handle = fd;
    return true;
}

void unlockFolder(FileLock* lock) {
    if (lock->handle < 0) return;
    close(static_cast<int>(lock->handle));  // the lock goes with the descriptor
    lock->handle = -1;
}

unsigned long processId() { return static_cast<unsigned long>(getpid()); }

std::filesystem::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return home;
}
}  // namespace

std::filesystem::path userFolder(const char* variable, const char* fallback) {
    const char* set = std::getenv(variable);
    if (set != nullptr && set[0] == '/') return set;
    return homeFolder() / fallback;
}

std::filesystem::path bestCatchesFile() { return userFolder("XDG_DATA_HOME", ".local/share") / "korvada" / "best-catches"; }

std::filesystem::path savedCodeFile() { return userFolder("XDG_CONFIG_HOME", ".config") / "korvada" / "launch-code"; }

std::filesystem::path bestRoundFile(int bottles) { return bestRoundFile(bestCatchesFile(), bottles); }

std::filesystem::path picturesFolderIn(const std::string& userDirs, const std::filesystem::path& home) {
    // The file is shell syntax as xdg-user-dirs-update writes it, one
    // variable a line: XDG_PICTURES_DIR="$HOME/Obrázky".
    const std::string name = "XDG_PICTURES_DIR=\"";
    std::filesystem::path folder;
    for (std::size_t start = 0; start < userDirs.size();) {
        std::size_t end = userDirs.find('\n', start);
        if (end == std::string::npos) end = userDirs.size();
        std::string line = userDirs.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.erase(0, 1);
        const std::size_t close = line.rfind('"');
        if (line.compare(0, name.size(), name) != 0 || close < name.size()) continue;
        const std::string value = line.substr(name.size(), close - name.size());
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
            folder = home / std::filesystem::path(value.substr(5)).relative_path();
        else if (!value.empty() && value[0] == '/')
            folder = value;
    }
    const bool homeItself = (folder / "").lexically_normal() == (home / "").lexically_normal();
    return homeItself ? std::filesystem::path() : folder;
}

std::filesystem::path picturesFolder() {
    const char* set = std::getenv("XDG_PICTURES_DIR");
    if (set != nullptr && set[0] == '/') return std::filesystem::path(set) / "Korvada";
    std::string userDirs;
    readSmallFile(userFolder("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs", 16384, &userDirs);
    const std::filesystem::path named = picturesFolderIn(userDirs, homeFolder());
    return (named.empty() ? homeFolder() / "Pictures" : named) / "Korvada";
}

DiskSteps diskSteps() { return {flushToDisk, lockFolder, unlockFolder, processId}; }

std::vector<std::filesystem::path> programDataFolders() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return {};
    return {(folder / KORVADA_DATA_FROM_PROGRAM).lexically_normal(), folder / "data"};
}

bool holdsGameData(const std::filesystem::path& folder) {
    std::error_code error;
    for (const char* name : kGameDataFiles)
        if (!std::filesystem::is_regular_file(folder / name, error)) return false;
    return true;
}

bool findDataFolder(const std::vector<std::filesystem::path>& folders, std::filesystem::path* data, std::string* why) {
    std::string names;
    for (const std::filesystem::path& folder : folders) {
        if (holdsGameData(folder)) {
            *data = folder;
            return true;
        }
        names += (names.empty() ? "" : ", ") + folder.string();
    }
    *why = folders.empty() ? "cannot find the game's data: cannot tell where the programs are"
                           : "cannot find the game's data: no folder of " + names + " holds all its pictures and sounds";
    return false;
}

std::string localeName() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    return "";
}
