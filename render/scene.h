#pragma once
// The scene's pieces, which the play frame, the paused picture and the end
// screen are drawn from: the camera, the planes, the view. Each draws the
// Game it is given and changes nothing in it (render/render_frame.h chooses
// which picture a frame is).

#include <cstdint>

struct Game;

// Turns and moves the model-view matrix so that the selected camera preset
// follows the player's bottle.
void placeCamera(const Game& game);

// Ground and sky with blending off and a white colour, in world
// coordinates. Leaves the sky bound and its last texture coordinate current,
// which the bubbles drawn next are coloured by.
void drawPlanes(const Game& game);

// Clears colour and depth for a new frame. The frame is opaque whatever it
// draws: alpha is cleared to 1 and nothing drawn after writes it, since a
// compositor that reads a window's alpha (SDL's wayland driver asks for
// one) would show the desktop through the glass and the digits.
void clearFrame();

// A rectangle upright in the view at depth z, in the current colour: the
// veils, bars and bands drawn over a picture.
void flatQuad(float left, float bottom, float right, float top, float z);

// The OpenGL state everything relies on, set once after the context is made.
void initGlState();

// The view's vertical field of view, in degrees, whatever its width.
constexpr double kFieldOfView = 60.0;

// Viewport and projection for a client area of width x height pixels.
void setupView(int32_t width, int32_t height);

// A part of the drawable, in pixels from its bottom-left corner.
struct ViewArea {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// The largest area of the picture's width:height centred in a drawable of
// width x height; what is left over stays black, as bars at the sides or at
// the top and bottom.
ViewArea fitPicture(int32_t width, int32_t height, int32_t pictureWidth, int32_t pictureHeight);

// Viewport and projection for that area alone, as setupView does for the whole.
void setupViewArea(const ViewArea& area);
