#include "core/saved_file.h"

#include <fstream>
#include <system_error>

bool replaceFile(const std::filesystem::path& file, const std::string& contents, FlushFile flush, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code failure;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), failure);
    if (failure) {
        *error = "cannot create " + file.parent_path().u8string() + ": " + failure.message();
        return false;
    }
    fs::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << contents;
        out.close();
        if (!out) {
            fs::remove(temporary, failure);
            *error = "cannot write " + temporary.u8string();
            return false;
        }
    }
    if (!flush(temporary)) {
        fs::remove(temporary, failure);
        *error = "cannot flush " + temporary.u8string() + " to the disk";
        return false;
    }
    // Replaces the old file in one step on both platforms (rename(2);
    // MoveFileEx with MOVEFILE_REPLACE_EXISTING in the Windows runtime).
    fs::rename(temporary, file, failure);
    if (failure) {
        *error = "cannot replace " + file.u8string() + ": " + failure.message();
        fs::remove(temporary, failure);
        return false;
    }
    return true;
}

SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit, std::string* text) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return SmallFile::Missing;
    std::ifstream in(file, std::ios::binary);
    if (!in) return SmallFile::Unreadable;
    // One byte past the limit tells a file that is too large.
    std::string read(limit + 1, '\0');
    in.read(&read[0], static_cast<std::streamsize>(read.size()));
    if (in.bad()) return SmallFile::Unreadable;
    read.resize(static_cast<std::size_t>(in.gcount()));
    if (read.size() > limit) return SmallFile::TooLarge;
    *text = read;
    return SmallFile::Read;
}
