#include "core/saved_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// The system's reason for the last failed call, as the C library words it.
std::string lastReason() { return errno != 0 ? std::string(": ") + std::strerror(errno) : std::string(); }

// "best-catches.1234.tmp" beside "best-catches": a name no other program of
// ours writes at the same time, even one that took no lock.
fs::path temporaryFor(const FileChange& change) {
    const unsigned long id = change.disk.processId != nullptr ? change.disk.processId() : 0;
    fs::path temporary = change.file;
    temporary += "." + std::to_string(id) + ".tmp";
    return temporary;
}

bool isTemporaryOf(const fs::path& entry, const fs::path& file) {
    const std::string name = entry.filename().u8string(), prefix = file.filename().u8string() + ".";
    const std::string suffix = ".tmp";
    return name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Under the lock no other program of ours writes beside the file: any
// temporary file there is what a writer killed before its rename left.
void removeStrayTemporaries(const fs::path& file) {
    std::error_code failure;
    fs::directory_iterator entry(file.parent_path().empty() ? fs::path(".") : file.parent_path(), failure), end;
    for (; !failure && entry != end; entry.increment(failure)) {
        std::error_code ignored;
        if (isTemporaryOf(entry->path(), file) && entry->is_regular_file(ignored)) fs::remove(entry->path(), ignored);
    }
}

// A file marked read-only (its attribute on Windows, no write bit at all
// on Linux) is the player's wish to keep it as it is: it is not replaced,
// though a rename could.
bool markedReadOnly(const fs::path& file) {
    std::error_code failure;
    const fs::perms perms = fs::status(file, failure).permissions();
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return !failure && fs::is_regular_file(fs::status(file, failure)) && (perms & writable) == fs::perms::none;
}

// The contents in the temporary file, on the disk for good.
bool writeTemporary(const FileChange& change, const std::string& contents, const fs::path& temporary,
                    std::string* error) {
    std::error_code ignored;
    if (markedReadOnly(change.file)) {
        *error = change.file.u8string() + " is read-only";
        return false;
    }
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out.is_open()) {
        out << contents;
        out.close();
    }
    if (!out) {
        *error = "cannot write " + temporary.u8string() + lastReason();
        fs::remove(temporary, ignored);
        return false;
    }
    errno = 0;
    if (!change.disk.flush(temporary)) {
        *error = "cannot flush " + temporary.u8string() + " to the disk" + lastReason();
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}
}  // namespace

SmallFile readSmallFile(const fs::path& file, std::size_t limit, std::string* text) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return SmallFile::Missing;
    std::ifstream in(file, std::ios::binary);
    if (!in) return SmallFile::Unreadable;
    // One byte past the limit tells a file that is too large.
    std::string read(limit + 1, '\0');
    in.read(&read[0], static_cast<std::streamsize>(read.size()));
    if (in.bad()) return SmallFile::Unreadable;
    read.resize(static_cast<std::size_t>(in.gcount()));
    const bool tooLarge = read.size() > limit;
    if (tooLarge) read.resize(limit);
    *text = read;
    return tooLarge ? SmallFile::TooLarge : SmallFile::Read;
}

bool beginChange(FileChange* change, std::string* error) {
    std::error_code failure;
    const fs::path folder = change->file.parent_path();
    if (!folder.empty()) fs::create_directories(folder, failure);
    if (failure) {
        *error = "cannot create " + folder.u8string() + ": " + failure.message();
        return false;
    }
    if (change->disk.lock != nullptr && !change->disk.lock(change->file, &change->lock, error)) return false;
    change->locked = change->disk.lock != nullptr;
    removeStrayTemporaries(change->file);
    return true;
}

bool writeChange(const FileChange& change, const std::string& contents, std::string* error) {
    const fs::path temporary = temporaryFor(change);
    if (!writeTemporary(change, contents, temporary, error)) return false;
    // Replaces the old file in one step on both platforms (rename(2);
    // MoveFileEx with MOVEFILE_REPLACE_EXISTING in the Windows runtime).
    std::error_code failure;
    fs::rename(temporary, change.file, failure);
    if (failure) {
        *error = "cannot replace " + change.file.u8string() + ": " + failure.message();
        fs::remove(temporary, failure);
        return false;
    }
    return true;
}

bool copyAside(const FileChange& change, const fs::path& aside, std::string* error) {
    std::error_code failure;
    fs::copy_file(change.file, aside, fs::copy_options::overwrite_existing, failure);
    if (failure) *error = "cannot copy " + change.file.u8string() + " to " + aside.u8string() + ": " + failure.message();
    return !failure;
}

void endChange(FileChange* change) {
    if (change->locked) change->disk.unlock(&change->lock);
    change->locked = false;
}

bool replaceFile(const fs::path& file, const std::string& contents, const DiskSteps& disk, std::string* error) {
    FileChange change{file, disk};
    const bool replaced = beginChange(&change, error) && writeChange(change, contents, error);
    endChange(&change);
    return replaced;
}

bool couldReplace(const fs::path& file, const std::string& contents, const DiskSteps& disk, std::string* error) {
    FileChange change{file, disk};
    const fs::path temporary = temporaryFor(change);
    const bool written = beginChange(&change, error) && writeTemporary(change, contents, temporary, error);
    std::error_code ignored;
    if (written) fs::remove(temporary, ignored);
    endChange(&change);
    return written;
}
