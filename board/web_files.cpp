#include "board/web_files.h"

#include <fstream>
#include <sstream>

namespace {

const std::map<std::string, std::string> kTypes = {
    {".html", "text/html; charset=utf-8"}, {".js", "text/javascript"},       {".wasm", "application/wasm"},
    {".png", "image/png"},                 {".webmanifest", "application/manifest+json"},
    {".json", "application/json"},         {".ico", "image/x-icon"},
};

bool readWhole(const std::filesystem::path& file, std::string* bytes) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    *bytes = content.str();
    return static_cast<bool>(in) || in.eof();
}

}  // namespace

bool readWebFiles(const std::filesystem::path& folder, WebFiles* files, std::string* trouble) {
    std::error_code error;
    files->clear();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error)) continue;
        const auto type = kTypes.find(entry.path().extension().string());
        if (type == kTypes.end()) continue;
        WebFile file;
        file.type = type->second;
        if (!readWhole(entry.path(), &file.bytes)) {
            *trouble = "cannot read " + entry.path().string();
            return false;
        }
        std::error_code absent;
        std::filesystem::path copy = entry.path();
        copy += ".gz";
        if (std::filesystem::is_regular_file(copy, absent)) readWhole(copy, &file.gzip);
        copy.replace_extension(".br");
        if (std::filesystem::is_regular_file(copy, absent)) readWhole(copy, &file.brotli);
        (*files)[entry.path().filename().string()] = std::move(file);
    }
    if (error) {
        *trouble = "cannot read the game's files in " + folder.string() + ": " + error.message();
        return false;
    }
    return true;
}
