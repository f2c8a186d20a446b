#pragma once
// What every shell does with the game at its start and on each frame,
// written once: the update that the round driver runs (core/round_driver.h)
// and the drawing that render/ does from it, in the order a frame needs them.

#include "shell/shell_marks.h"

struct Game;
struct RoundDriver;

// The run's preparation, once its OpenGL context is current: OpenGL's state
// and the pictures. Each round then starts through the driver
// (startLiveRound, or startWatchedRound for a recording), one call, as often
// as the run plays one; a new context (the window made anew) needs this
// again, the round going on as it stood.
void prepareRun(Game& game);

// One frame and its swap: the driver's update at the frame's boundary, then
// the picture. After a step, the play scene as the step left it (also when
// the step ended the round; the end screen follows with the next frame);
// once the round is over, the end screen; while a recording waits for the
// real time, the picture as it stands. While the round is paused
// (core/pause.h): the paused picture, as showFrame draws it, and no time.
// A watched round plays at the speed the marks hold (followFastWatch).
void paintFrame(Game& game, RoundDriver& driver, ShellMarks& marks);

// The picture of the game as it stands, drawn again and swapped: nothing
// moves and no time is counted (a round held still, or paused). Every frame
// shows the marks' lines over the picture (drawn last, so the picture a key
// saves, drawn from the Game alone, never holds them).
void showFrame(const Game& game, ShellMarks& marks);
