#pragma once
// Files kept between runs (the setup's saved choice, the best catches): read
// whole while they are small, and changed in one step while no other program
// of ours changes them, so that a crash or a full disk never leaves half a
// file behind and two programs ending at once never lose what the other
// wrote. No platform header here: each program hands over how its system
// locks a file and puts it on the disk for good.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// A lock held on a kept file: the platform's own handle for it.
struct FileLock {
    intptr_t handle = -1;
};

// How a program's system keeps files, given by the platform
// (linux/linux_places.h, win32/win32_places.h).
struct DiskSteps {
    // Makes a file that is on the disk for good, not just in the system's
    // cache; false when it cannot.
    bool (*flush)(const std::filesystem::path& file) = nullptr;
    // Waits until no other program of ours is changing `file` (a few seconds
    // at most) and keeps them from it until unlock. Its folder exists. False,
    // with the reason, when it cannot.
    bool (*lock)(const std::filesystem::path& file, FileLock* lock, std::string* error) = nullptr;
    void (*unlock)(FileLock* lock) = nullptr;
    // The running program's id: a temporary file's name of its own.
    unsigned long (*processId)() = nullptr;
};

enum class SmallFile { Missing, Read, Unreadable, TooLarge };

// The whole file in *text when it is a file of at most `limit` bytes (its
// first `limit` bytes when it is larger); a folder in its place counts as
// missing.
SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit, std::string* text);

// A kept file while a program changes it. The change reads the file as it
// is under the lock, so that what another program wrote a moment before is
// in what this one writes.
struct FileChange {
    std::filesystem::path file;
    DiskSteps disk{};
    FileLock lock{};
    bool locked = false;
};

// Makes the file's folder and takes the lock; what a writer killed before
// its rename left beside the file goes. False, with the reason, when the
// file cannot be changed now.
bool beginChange(FileChange* change, std::string* error);

// Writes `contents` to a temporary file of this program's own beside the
// file, flushes it and renames it over the file: a crash or a full disk
// leaves the old file whole. False, with the reason, when it cannot.
bool writeChange(const FileChange& change, const std::string& contents, std::string* error);

// The file as it is now copied to `aside`, replacing an older copy there.
bool copyAside(const FileChange& change, const std::filesystem::path& aside, std::string* error);

// Lets go of the lock, if it was taken.
void endChange(FileChange* change);

// One change with nothing to read first: begin, write, end.
bool replaceFile(const std::filesystem::path& file, const std::string& contents, const DiskSteps& disk,
                 std::string* error);

// Whether `contents` could be written in place of the file now: all the
// steps but the rename, whose temporary file then goes. The file stays as
// it is. False, with the reason the change would fail.
bool couldReplace(const std::filesystem::path& file, const std::string& contents, const DiskSteps& disk,
                  std::string* error);
