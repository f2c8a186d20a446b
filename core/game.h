#pragma once
// The game record: the whole state of a run, and the operations on it.
// The program holds exactly one; tests and tools construct their own.
// The window, its contexts and display modes belong to the shell, not here.

#include <cstdint>

#include "core/cameras.h"
#include "core/input.h"
#include "core/keys.h"
#include "core/platform.h"
#include "core/settings.h"
#include "core/texture.h"
#include "timing/perf_timer.h"

struct Bottle {
    float x = 0, y = 0, z = 0;
    float vx = 0;
    float vy = 0;  // downward speed: positive means falling
    float vz = 0;
    int32_t textureIndex = 0;  // 1 or 2: which bottle picture and shape
    int32_t mass = 0;
    float pushX = 0, pushZ = 0;  // decaying wall push
    int32_t score = 0;           // bubbles caught

    void setPosition(float newX, float newY, float newZ) { x = newX, y = newY, z = newZ; }
    void setVelocity(float newVx, float newVy, float newVz) { vx = newVx, vy = newVy, vz = newVz; }
    void prepare(int32_t newTextureIndex) { textureIndex = newTextureIndex, pushX = 0, pushZ = 0, score = 0; }
    void setMass(int32_t newMass) { mass = newMass; }
    // Replaces both components, so a push along one axis clears the other.
    void setPush(float newPushX, float newPushZ) { pushX = newPushX, pushZ = newPushZ; }
    void addPoint() { ++score; }
    void integrate(float dt);
};

struct Bubble {
    float x = 0, y = 0, z = 0;
    int32_t active = 0;

    void setPosition(float newX, float newY, float newZ) { x = newX, y = newY, z = newZ; }
    void setActive(int32_t flag) { active = flag; }
    int32_t isActive() const { return active; }
};

// After this many seconds of end screen, Space, Esc or Enter closes the game.
constexpr float kEndScreenDelay = 1.6f;
inline bool isEndScreenExitKey(int32_t key) { return key == kKeySpace || key == kKeyEscape || key == kKeyReturn; }

enum SoundCue : int32_t { PlayerKnock = 1, Knock = 2, Plop = 3 };

struct Game {
    int32_t quitRequested = 0;
    Texture textures[kSceneTextureCount];  // by SceneTexture
    int32_t keyDown[kKeyCount] = {};       // 1 while any input source holds the key (core/input.h)
    uint8_t sourceKeyDown[kInputSourceCount][kKeyCount] = {};  // each source's own held keys
    // Space, Esc or Enter pressed on the end screen since its last frame: a
    // tap that comes and goes between two slow frames still counts for the
    // next one. The Esc that ends a round is pressed before the end screen.
    int32_t exitKeyTapped = 0;
    int32_t cameraIndex = 0;
    CameraPreset cameraPresets[kCameraPresetCount] = {};
    GameSettings settings;
    int32_t gameOver = 0;
    Texture fontTexture;
    Bottle bottles[kMaxBottles];
    int32_t bottleCount = 0;
    Bubble bubbles[kMaxBubbles];
    int32_t bubbleCount = 0;
    PerfTimer frameClock;
    float endScreenTime = 0;  // seconds the end screen has been shown
    PlatformServices platform;  // handed over at start (usePlatform)
    int32_t paused = 0;         // the round holds, by the player's wish (core/pause.h)
    int32_t muted = 0;          // the cues are silent for the run, whatever the settings say

    // Seeds the random generator with the time and fills in the camera
    // presets. Constructed before the program's entry runs, it asks nothing
    // of the platform, which is handed over later.
    Game();

    // The platform's services from now on, and the frame clock on its counter.
    void usePlatform(const PlatformServices& services);

    // The frame clock on the platform's counter: a new interval from now (the
    // round's start, a return from time away or from a pause), and the
    // seconds of the interval that ends now. Read once a frame, by whoever
    // drives the round (core/round_driver.h), which hands the seconds on.
    void restartFrameClock();
    float frameSeconds();

    // core/input.cpp: the keyboard's press and release, through its own
    // source; both return 1 (a key press asks for a repaint). Every other
    // operation on the key table is core/input.h's.
    int32_t onKeyDown(int32_t virtualKey);
    int32_t onKeyUp(int32_t virtualKey);

    // core/round.cpp: a round from its start, as a new Game would play it
    // with these settings: every key let go, the first camera, no end screen,
    // then the settings' bottles and 30 bubbles laid out. The pictures, the
    // platform and the clock's frequency stay, and the random generator goes
    // on from where the run has it (seeded once, by the construction): one
    // run can play round after round.
    void startRound(const GameSettings& newSettings);
    // startRound's first half: everything of the last round cleared, the
    // settings stored, nothing laid out yet.
    void clearRound(const GameSettings& newSettings);
    // Lays out the bottles and bubbles and restarts the frame clock.
    void setupRound(int32_t bottleCount, int32_t bubbleCount);

    // The frame's update, `seconds` the frame's time: a play frame's step,
    // or an end-screen frame's count (core/round_driver.h gives them).
    // core/simulation.cpp
    void stepSimulation(float seconds);
    void steerOpponent(int32_t index, float dt);
    // core/end_screen.cpp: adds the frame's seconds to endScreenTime; past
    // kEndScreenDelay, a Space, Esc or Enter held or tapped since the last
    // frame sets quitRequested and asks the platform to close the window.
    void countEndScreenTime(float seconds);

    // core/contacts.cpp
    void collideBottles(int32_t first, int32_t second);
    void pickUpBubble(int32_t index);

    // core/sound_cues.cpp: plays the cue's sound when sound is on and the
    // run is not muted.
    void playCue(int32_t cue);
};
