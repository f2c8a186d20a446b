#pragma once
// The game's data, the six pictures and seven sounds: what the desktop build
// installs and what the browser makes for itself on a first visit, the same
// bytes. The ground picture takes most of the time and is made in bands of
// rows, which the browser's workers share out (worker_main.cpp).

#include <functional>
#include <string>
#include <vector>

// How far the making is, from 0 to 1, told now and then.
using DataProgress = std::function<void(float done)>;

// air.bmp: its header, then the rows of bands groundBand(0, parts) to
// groundBand(parts - 1, parts) in turn (see groundRows in pictures.h).
constexpr const char* kGroundFile = "air.bmp";
struct RowBand {
    int top = 0, bottom = 0;  // rows [top, bottom) of the picture, 0 at the top
};
// The first band is the smaller, by the time the other files take: the one
// who makes them makes it too.
RowBand groundBand(int part, int parts);
std::vector<unsigned char> groundFileHeader();

// The other twelve files: the pictures, then the sounds.
constexpr int kOtherFileCount = 12;
const char* otherFileName(int index);
std::vector<unsigned char> makeOtherFile(int index);

// Writes every file into `dir` (which must exist). Returns false on a write
// error.
bool writeGameData(const std::string& dir, const DataProgress& progress = nullptr);
