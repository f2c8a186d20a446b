#pragma once
// What every shell does with the game at its start and on each frame,
// written once: the update that is the Game's own (core/) and the drawing
// that render/ does from it, in the order a frame needs them.

struct Game;

// The run's preparation, once its OpenGL context is current: OpenGL's state
// and the pictures. Each round then starts with the Game's startRound, one
// call, as often as the run plays one; a new context (the window made anew)
// needs this again, the round going on as it stood.
void prepareRun(Game& game);

// One frame and its swap. While the round is on: one simulation step, then
// the play scene as the step left it (also when the step ended the round;
// the end screen follows with the next frame). Once it is over: the end
// screen, then its time counted and the close decided. While the round is
// paused (core/pause.h): the paused picture, as showFrame draws it, and no
// time. While a recording plays back (core/recording.h): the recorded frames
// that are due by the real time, zero or more, then the picture of the last;
// once the recording is used up, the frame is the viewer's own again.
void paintFrame(Game& game);

// The picture of the game as it stands, drawn again and swapped: nothing
// moves and no time is counted (a round held still, or paused).
void showFrame(const Game& game);
