#pragma once
// The score as two digits cut from the font picture, and the end screen
// that follows the round.

// Seconds that end-screen frames have run. Lives outside the Game and is
// never reset: only the end-screen frame adds to it.
extern float endScreenTime;

// After this many seconds of end screen, Space, Esc or Enter held closes the game.
constexpr float kEndScreenDelay = 1.6f;

// Where both the play frame and the end screen put the score, in eye
// coordinates: the tens digit left of x, the units digit right of it.
constexpr float kScoreAnchorX = 1.3f;
constexpr float kScoreAnchorY = -1.1f;
