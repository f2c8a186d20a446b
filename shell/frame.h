#pragma once
// What every shell does with the game at its start and on each frame,
// written once: the update that is the Game's own (core/) and the drawing
// that render/ does from it, in the order a frame needs them.

struct Game;

// The shared end of every desktop shell's start, with the context current:
// OpenGL state, the pictures, and the round with the settings' bottles and
// 30 bubbles.
void startRound(Game& game);

// One frame and its swap. While the round is on: one simulation step, then
// the play scene as the step left it (also when the step ended the round;
// the end screen follows with the next frame). Once it is over: the end
// screen, then its time counted and the close decided.
void paintFrame(Game& game);

// The picture of the game as it stands, drawn again and swapped: nothing
// moves and no time is counted (a round held still).
void showFrame(const Game& game);
