#include "shell/headless/offscreen_gl.h"

#include <GL/osmesa.h>

#include <cstdio>

bool OffscreenGl::open(int width, int height) {
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 32, 0, 0, nullptr);
    if (context == nullptr) {
        std::fprintf(stderr, "OSMesa: no context\n");
        return false;
    }
    context_ = context;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width) * height * 4, 0);
    if (!OSMesaMakeCurrent(context, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
        std::fprintf(stderr, "OSMesa: cannot make the context current\n");
        return false;
    }
    // Linking libGL ahead of OSMesa turns every GL call into a silent no-op.
    if (glGetString(GL_VERSION) == nullptr) {
        std::fprintf(stderr, "OSMesa: no GL version; is libGL linked ahead of OSMesa?\n");
        return false;
    }
    return true;
}

OffscreenGl::~OffscreenGl() {
    if (context_ != nullptr) OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}
