#include "render/frame_picture.h"

#include <GL/gl.h>

#include <cstring>
#include <fstream>
#include <system_error>

#include "core/game.h"
#include "render/play_frame.h"
#include "render/scene.h"
#include "render/score_and_end_screen.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO  // the bytes go through our own file writing, wide paths and all
#include <stb_image_write.h>

namespace {
void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}
}  // namespace

FramePicture readFramePicture() {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    FramePicture picture;
    if (viewport[2] <= 0 || viewport[3] <= 0) return picture;
    picture.width = viewport[2];
    picture.height = viewport[3];
    const std::size_t width = static_cast<std::size_t>(picture.width);
    // RGBA: the one format every OpenGL, WebGL included, reads back.
    std::vector<uint8_t> rgba(width * static_cast<std::size_t>(picture.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(viewport[0], viewport[1], picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    picture.rgb.resize(width * static_cast<std::size_t>(picture.height) * 3);
    for (int32_t row = 0; row < picture.height; ++row) {
        // OpenGL's rows come bottom first.
        const uint8_t* from = &rgba[static_cast<std::size_t>(picture.height - 1 - row) * width * 4];
        uint8_t* to = &picture.rgb[static_cast<std::size_t>(row) * width * 3];
        for (std::size_t x = 0; x < width; ++x) std::memcpy(to + x * 3, from + x * 4, 3);
    }
    return picture;
}

FramePicture pictureOfRound(const Game& game) {
    if (game.gameOver)
        drawEndScreen(game);
    else
        drawPlayFrame(game);
    return readFramePicture();
}

std::string pngBytes(const FramePicture& picture) {
    std::string bytes;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3)
        return bytes;
    if (!stbi_write_png_to_func(appendBytes, &bytes, picture.width, picture.height, 3, picture.rgb.data(),
                                picture.width * 3))
        bytes.clear();
    return bytes;
}

bool writePngFile(const std::filesystem::path& file, const FramePicture& picture, std::string* error) {
    const std::string bytes = pngBytes(picture);
    if (bytes.empty()) {
        *error = "no picture to write";
        return false;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    *error = "cannot write " + file.u8string();
    return false;
}

std::string pictureFileName(const std::tm& local) {
    char name[64] = "";
    if (std::strftime(name, sizeof name, "korvada-%Y-%m-%d-%H-%M-%S.png", &local) == 0) return "korvada.png";
    return name;
}

std::filesystem::path newPicturePath(const std::filesystem::path& folder, std::time_t moment) {
    const std::tm* local = std::localtime(&moment);
    const std::string name = local != nullptr ? pictureFileName(*local) : "korvada.png";
    const std::string stem = name.substr(0, name.size() - 4);
    std::error_code error;
    std::filesystem::path path = folder / name;
    for (int count = 2; std::filesystem::exists(path, error) && count < 1000; ++count)
        path = folder / (stem + "-" + std::to_string(count) + ".png");
    return path;
}
