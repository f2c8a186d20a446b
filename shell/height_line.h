#pragma once
// KORVADA_PRINT_HEIGHT, for the tests of every desktop program: the player's
// height, then its place exactly and its catch, whether the round is paused
// and over, as one line on stdout,
//   height 6712.250 x -3.5 y 6712.25 z 0 score 2 paused 0 over 0
// once when the round is over, and whenever the shell is asked (the Linux
// program on SIGUSR1). No platform header here.

struct Game;

// Whether the environment asks for the lines at all.
bool heightLineAsked();

// The line now.
void printHeightLine(const Game& game);

// The line once the round is over, a single time a run (*told remembers);
// nothing when the lines are not asked for.
void printHeightLineOnceOver(const Game& game, bool* told);
