#pragma once
// The play frame: the round as it goes on, seen from the selected camera.

struct Game;

// Clear, camera, planes, bubbles, bottles, score, flush. The frame whose
// step ends the round still shows it.
void drawPlayFrame(const Game& game);
