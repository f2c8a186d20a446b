#pragma once
// Pieces of the play frame that tools and benchmarks draw on their own:
// the frame without its simulation step, and the two planes alone.

struct Game;

// The play frame's drawing: clear, camera, planes, bubbles, bottles, score,
// flush. renderFrame runs it after the simulation step.
void drawPlayFrame(Game& game);

// Turns and moves the model-view matrix so that the selected camera preset
// follows the player's bottle.
void placeCamera(const Game& game);

// Ground and sky with blending off and a white colour, in world
// coordinates. Leaves the sky bound and its last texture coordinate current,
// which the bubbles drawn next are coloured by.
void drawPlanes(const Game& game);
