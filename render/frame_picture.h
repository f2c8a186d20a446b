#pragma once
// The frame as a picture file, one writer for every platform: the pixels
// read back from OpenGL and written as PNG by Debian's stb_image_write
// (libstb-dev, one header), to a file on the desktop or to memory for the
// page to download; and the file's name by the time it was taken.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

struct Game;

struct FramePicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, the top row first
};

// The viewport set now of the buffer being drawn (the back buffer before its
// swap): the picture without a window's black bars. Empty for an empty viewport.
FramePicture readFramePicture();

// The shells' screenshot: the round as it stands drawn again, without the
// pause mark (the end screen once it is over), and read back. Nothing moves,
// no time is counted and nothing is swapped: the next frame draws over it.
FramePicture pictureOfRound(const Game& game);

// The picture as a PNG file's bytes; empty for an empty picture.
std::string pngBytes(const FramePicture& picture);

// Writes the PNG to `file`; false with the reason in *error, and no part of
// a file left behind.
bool writePngFile(const std::filesystem::path& file, const FramePicture& picture, std::string* error);

// A picture's name by the local time it was taken: "korvada-2026-12-10-14-03-22.png".
std::string pictureFileName(const std::tm& local);

// Where in `folder` a picture taken at `moment` goes without replacing one
// that is there: its name, or for another in the same second the name with
// "-2", "-3", … before ".png". The folder is not made here.
std::filesystem::path newPicturePath(const std::filesystem::path& folder, std::time_t moment);
