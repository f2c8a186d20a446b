// Preloaded into a program by the start-up benchmark: at the program's first
// SDL_GL_SwapWindow it lets the swap happen, writes the monotonic time in
// nanoseconds to $KORVADA_PROBE_FILE and ends the process, so that the
// benchmark sees exec-to-first-frame and the peak memory up to it.
//
// With $KORVADA_PROBE_STAGES it also writes there the moments the program
// passed on the way, one "label nanoseconds" line each, for the benchmark's
// stage split (--stages): SDL's video ready, the window and the context made,
// each picture file opened, each texture image's upload begun and done, the
// window shown, and the first swap begun; then what is resident at the first
// frame, the program's own memory apart from mapped files (libraries' code
// above all), in KiB. Nothing here changes what the program does.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

struct SDL_Window;

namespace {

long long now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Kept in memory until the first swap: writing on the way would cost the
// stages their own time.
struct Mark {
    char label[48];
    long long time;
};
Mark marks[256];
int markCount = 0;

void mark(const char* label, const char* detail = "") {
    if (markCount == 256 || std::getenv("KORVADA_PROBE_STAGES") == nullptr) return;
    Mark& m = marks[markCount++];
    std::snprintf(m.label, sizeof m.label, "%s%s", label, detail);
    m.time = now();
}

// "RssAnon:" and "RssFile:" of /proc/self/status, as "anon-kib N" and "file-kib N".
void writeResident(FILE* out) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "RssAnon: %ld", &kib) == 1) std::fprintf(out, "anon-kib %ld\n", kib);
        if (std::sscanf(line, "RssFile: %ld", &kib) == 1) std::fprintf(out, "file-kib %ld\n", kib);
    }
    std::fclose(status);
}

void writeMarks() {
    const char* path = std::getenv("KORVADA_PROBE_STAGES");
    if (path == nullptr) return;
    if (FILE* out = std::fopen(path, "w")) {
        for (int i = 0; i < markCount; ++i) std::fprintf(out, "%s %lld\n", marks[i].label, marks[i].time);
        writeResident(out);
        std::fclose(out);
    }
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

constexpr unsigned kSdlInitVideo = 0x20;

}  // namespace

extern "C" {

int SDL_Init(unsigned flags) {
    static auto real = next<int (*)(unsigned)>("SDL_Init");
    const int result = real(flags);
    if (flags & kSdlInitVideo) mark("video");
    return result;
}

int SDL_InitSubSystem(unsigned flags) {
    static auto real = next<int (*)(unsigned)>("SDL_InitSubSystem");
    const int result = real(flags);
    if (flags & kSdlInitVideo) mark("video");
    return result;
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, unsigned flags) {
    static auto real = next<SDL_Window* (*)(const char*, int, int, int, int, unsigned)>("SDL_CreateWindow");
    SDL_Window* window = real(title, x, y, w, h, flags);
    mark("window");
    return window;
}

void* SDL_GL_CreateContext(SDL_Window* window) {
    static auto real = next<void* (*)(SDL_Window*)>("SDL_GL_CreateContext");
    void* context = real(window);
    mark("context");
    return context;
}

void SDL_ShowWindow(SDL_Window* window) {
    static auto real = next<void (*)(SDL_Window*)>("SDL_ShowWindow");
    mark("show");
    real(window);
    mark("shown");
}

FILE* fopen(const char* path, const char* mode) {
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    const size_t length = std::strlen(path);
    if (length > 4 && std::strcmp(path + length - 4, ".bmp") == 0) mark("read ", path);
    return real(path, mode);
}

void glTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                  unsigned type, const void* pixels) {
    static auto real = next<void (*)(unsigned, int, int, int, int, int, unsigned, unsigned, const void*)>("glTexImage2D");
    mark("upload");
    real(target, level, internalFormat, width, height, border, format, type, pixels);
    mark("uploaded");
}

void SDL_GL_SwapWindow(SDL_Window* window) {
    static auto real = next<void (*)(SDL_Window*)>("SDL_GL_SwapWindow");
    mark("swap");
    if (real != nullptr) real(window);
    const long long swapped = now();
    if (const char* path = std::getenv("KORVADA_PROBE_FILE")) {
        if (FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "%lld\n", swapped);
            std::fclose(out);
        }
    }
    writeMarks();
    _exit(0);
}

}  // extern "C"
