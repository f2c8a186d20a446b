#include "linux/linux_places.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::filesystem::path userFolder(const char* variable, const char* fallback) {
    const char* set = std::getenv(variable);
    if (set != nullptr && set[0] == '/') return set;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::filesystem::path(home) / fallback;
}

std::filesystem::path bestCatchesFile() { return userFolder("XDG_DATA_HOME", ".local/share") / "korvada" / "best-catches"; }

std::vector<std::filesystem::path> programDataFolders() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return {};
    return {(folder / KORVADA_DATA_FROM_PROGRAM).lexically_normal(), folder / "data"};
}

bool holdsGameData(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "air.bmp", error);
}

bool flushToDisk(const std::filesystem::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}
