#pragma once
// The game's own web files (the browser build's folder), read into memory
// once at start with their precompressed copies: a request names a file of
// this table or gets nothing, so no path reaches outside it, whatever its
// dots and encodings.

#include <filesystem>
#include <map>
#include <string>

struct WebFile {
    std::string type;     // its Content-Type
    std::string bytes;
    std::string gzip;     // the .gz copy beside it, if any
    std::string brotli;   // the .br copy, if any
};

using WebFiles = std::map<std::string, WebFile>;  // by name: "index.html"

// The files of `folder` the game's page is made of (its own folder only,
// by their endings); false with the reason when it cannot be read.
bool readWebFiles(const std::filesystem::path& folder, WebFiles* files, std::string* trouble);
