#pragma once
// The score as two digits cut from the font picture, and the end screen
// that follows the round.

#include <cstdint>
#include <string>

struct Game;

// Where both the play frame and the end screen put the score, in eye
// coordinates: the tens digit left of x, the units digit right of it.
constexpr float kScoreAnchorX = 1.3f;
constexpr float kScoreAnchorY = -1.1f;

// The anchor's x in a view of this width : height. A view narrower than the
// digits' right end (1.5 at their depth; a 5:4 view is about 1.44 wide there)
// gets the anchor moved left just enough to show both digits; 4:3 and wider
// views keep kScoreAnchorX exactly.
float scoreAnchorX(double aspect);

// The same for the viewport set now.
float scoreAnchorXInView();

// Two digits at the eye-space anchor (x, y), in the current colour, from
// the game's font picture and with its blending setting.
void drawScore(const Game& game, float x, float y, int32_t score);

// UTF-8 `text` in the game's lettering (render/lettering.h) just left of
// the end screen's score, level with its digits.
void drawBesideEndScore(const std::string& text);

// The end-screen picture with the player's score over it; the clock and the
// close decision that go with it are the Game's (countEndScreenTime).
void drawEndScreen(const Game& game);
