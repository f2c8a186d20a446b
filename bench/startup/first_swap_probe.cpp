// Preloaded into a program by the start-up benchmark: at the program's first
// SDL_GL_SwapWindow it lets the swap happen, writes the monotonic time in
// nanoseconds to $KORVADA_PROBE_FILE and ends the process, so that the
// benchmark sees exec-to-first-frame and the peak memory up to it.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Window;

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    using Swap = void (*)(SDL_Window*);
    static Swap realSwap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (realSwap != nullptr) realSwap(window);
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (const char* path = std::getenv("KORVADA_PROBE_FILE")) {
        if (FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fclose(out);
        }
    }
    _exit(0);
}
