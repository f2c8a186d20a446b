#pragma once
// What the fuzz targets share: an input handed to a reader as the file the
// programs would open, and a check that stops the run where it fails.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// Stops the run at a broken promise, as a crash would.
inline void check(bool condition) {
    if (!condition) __builtin_trap();
}

// An in-memory file holding the input, under a path the readers open as
// they open a file on the disk; rewritten for every input.
inline std::string inputFile(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("korvada-fuzz", 0);
    check(fd >= 0);
    check(ftruncate(fd, 0) == 0);
    check(size == 0 || pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    return "/proc/self/fd/" + std::to_string(fd);
}
