#pragma once
// The Linux program's own record: what the window system hands out (window,
// OpenGL context, display modes, audio device) and the loop's end state. The
// game itself lives in the portable Game record; only this shell knows SDL.

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/display_policy.h"
#include "shell/shell_keys.h"
#include "shell/shell_marks.h"
#include "core/pad_mapping.h"
#include "linux/sdl_pad_state.h"

struct Game;
struct GameSettings;
struct RoundDriver;
struct RoundStart;

// The audio device as a thread of its own opens it: `device` and `format` are
// written before `done`.
struct SoundOpening {
    std::atomic<bool> done{false};
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec format = {};
};

// An open pad: a game controller, or a joystick no mapping knows.
struct SdlPad {
    SDL_JoystickID id = -1;  // -1: the slot is free
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // only for a joystick without a mapping
};

struct SdlShell {
    SDL_Window* window = nullptr;
    SDL_GLContext glContext = nullptr;
    SDL_DisplayMode desktopMode = {};  // the user's mode, read once at the start
    SDL_DisplayMode gameMode = {};     // size and format, built once; every activation asks for it again
    SDL_AudioDeviceID audioDevice = 0;  // 0: no sound, silently
    SDL_AudioSpec audioSpec = {};       // what the device plays
    std::shared_ptr<SoundOpening> soundOpening;  // an open under way, shared with its thread
    bool soundLost = false;             // the device went away mid-run: tried again now and then
    Uint32 soundTriedAt = 0;            // SDL_GetTicks() of the last try
    bool soundStuck = false;            // an open or close never came back: SDL cannot be shut down
    // Each cue file's samples in the device's format, read on first use; the
    // seven files are small.
    std::map<std::string, std::vector<uint8_t>> cues;
    bool videoReady = false;            // message boxes are worth trying
    bool closeRequested = false;        // the game asked for its normal end
    bool gameModeSeen = false;          // the last check saw the game's mode, not given back since
    bool devicesOpen = false;           // sound and pads, opened after the first frame
    KeyLatch keyLatch;                  // the key of the last shell action while it is held
    ShellMarks marks;                   // the fast watch and the notices (shell/shell_marks.h)
    // Full screen or a window (run.inWindow, --window at the start), whether
    // the round holds still; a refused mode ends the loop; the exit code.
    DisplayRun run;
    SdlPad padDevices[kPadSlots];       // by the slot of `pads`
    Pads pads;
};

// --- shell/sdl/sdl_platform.cpp ---------------------------------------------

// The platform services of core/platform.h on this shell's window and audio
// device, for the Game and the display policy.
PlatformServices platformServices(SdlShell& shell);

// Closes the error box that is open, if any, and opens no more: their texts
// go to stderr alone. Safe in a signal handler.
void closeErrorBox();

// --- shell/sdl/sdl_large_pages.cpp ------------------------------------------

// `work` with the heap's large blocks on large pages: OpenGL's copies of
// the pictures fault a few dozen times, not thousands. glibc's dynamic mmap
// threshold stays on, raised as its own rule raises it when a mapped block
// of 30 MiB is freed; afterwards the heap gives back what it no longer holds.
void onLargePages(const std::function<void()>& work);

// The run's preparation (shell/frame.h) on large pages.
void prepareRunOnLargePages(Game& game);

// Room for a picture's pixels, released with std::free; a block of a large
// page or more starts on one, and its whole large pages are advised to the
// kernel.
void* allocateOnLargePages(size_t byteCount);

// --- shell/sdl/sdl_keys.cpp -------------------------------------------------

// The Windows virtual-key code of a key, or -1 for keys the game has no code for.
int32_t virtualKeyOf(const SDL_Keysym& key);

// --- shell/sdl/sdl_display.cpp ----------------------------------------------

enum class StartResult { Started, NoWindow, NoContext };

// Whether SDL runs on its wayland driver (not X11 through Xwayland).
bool onWayland();

// The display steps of a borderless window that covers the display in the
// game's own mode, for shell.run.fullScreen; they depend on the video
// driver, so the display is open first.
DisplaySteps fullScreenSteps(SdlShell& shell);

// The display steps of an ordinary decorated window on the desktop, for
// shell.run.window: no mode is switched and a lost focus does not minimise it.
DisplaySteps windowSteps(SdlShell& shell);

// The start: window, OpenGL context, the game's mode asked for, then the
// game's own start (OpenGL state, pictures, round through the driver: a new
// one, or a recording played back, as `start` says). The window is still hidden afterwards,
// and the display still in the desktop's mode: SDL switches a hidden
// window's display only when the window is shown. On failure the reason is
// on stderr; a refused mode has shown its box and ended the run (shell.run).
StartResult startGame(Game& game, RoundDriver& driver, SdlShell& shell, const GameSettings& settings,
                      const RoundStart& start);

// Shows the started window, which switches the display, and checks that the
// switch happened as a re-activation does; sizes the view to what the
// window got.
void showGameWindow(SdlShell& shell);

// The view sized to the window's drawable as it is now (the display
// policy's sizeView).
void sizeView(const SdlShell& shell);

// The normal end: pictures freed, context released, window and audio gone.
void shutDown(Game& game, SdlShell& shell);

// --- shell/sdl/sdl_x11.cpp --------------------------------------------------

// What the X server holds of a window now: whether the window manager's
// _NET_WM_STATE on it holds full screen, and its place on the screen.
struct WindowManagerAnswer {
    bool fullScreen = false;
    SDL_Rect place = {};
};

// False for a window that is no X11 window, or when the server has none.
bool readWindowManagerAnswer(SDL_Window* window, WindowManagerAnswer* answer);

// Whether an answer shows the game full screen under X11 (sdl_display.cpp):
// the window manager's state holds full screen, the display is in the
// game's mode, and the window lies exactly over the display's `bounds` at
// the game's size. A window that covers the screen is no answer by itself:
// a window manager may size a window so before it takes the request.
bool answerShowsGameMode(const WindowManagerAnswer& answer, const SDL_Rect& bounds, bool displayInGameMode,
                         int gameWidth, int gameHeight);

// Whether a window's states (its _NET_WM_STATE atoms, in the window
// manager's order, full screen's anywhere among them) hold full screen.
bool statesHoldFullScreen(const unsigned long* states, unsigned long count, unsigned long fullScreen);

// The window's title, UTF-8. Under X11 SDL 2.26 writes the title through
// the C library's multibyte conversion, which in the game's "C" locale
// leaves _NET_WM_NAME, the name desktops show, as it was and WM_NAME
// garbled: both are written here too, in UTF-8.
void setWindowTitle(SDL_Window* window, const std::string& title);

// Returns once the display server has sent something new, or after at most
// `milliseconds`; without X11 after a few milliseconds.
void awaitDisplayServer(SDL_Window* window, Uint32 milliseconds);

// --- shell/sdl/sdl_events.cpp -----------------------------------------------

// One event to the Game's operations, as the window procedure would.
void handleEvent(Game& game, SdlShell& shell, const SDL_Event& event);

// --- shell/sdl/sdl_pads.cpp ------------------------------------------------

// Starts SDL's game controllers with the player's mappings (startGamepads).
// Without them the game is keyboard-only.
void openPads();

// Device and pad events: pads come and go, their state goes to the game.
void handlePadEvent(Game& game, SdlShell& shell, const SDL_Event& event);

// The focus back, each pad is read again: the keys went with the focus, and
// SDL sends no pad events to a window without it.
void padsGainFocus(Game& game, SdlShell& shell);

// Every open pad closed, whatever it held let go.
void closePads(Game& game, SdlShell& shell);

// --- shell/sdl/sdl_sound.cpp ------------------------------------------------

// Starts opening the one audio device on a thread of its own; the game is
// silent until keepSoundAlive finds it open, and without one stays silent.
// The pads are started first: SDL's subsystems are started one at a time.
void openSound(SdlShell& shell);
// A device whose open or close does not come back within seconds (a frozen
// audio server) is left behind, said on stderr, and shell.soundStuck set:
// SDL_Quit would wait for it for ever.
void closeSound(SdlShell& shell);

// The device gone (an audio server ended, a headset pulled out): the game
// plays on silent, says so once on stderr, and tries the default device
// again about once a second, or at once when SDL announces a new one.
void handleSoundEvent(SdlShell& shell, const SDL_AudioDeviceEvent& event);
// Each frame: takes the device once it is open, and tries again for a lost one.
void keepSoundAlive(SdlShell& shell);

// Starts a WAV file (bare name) on the device, cutting off what is playing.
// Each file is read and converted once; a missing or unreadable one is silence.
void playSoundFile(SdlShell& shell, const char* fileName);

// --- shell/sdl/sdl_wav.cpp --------------------------------------------------

// A WAV file's samples converted to the device's format, whole frames only;
// empty when the file is missing, unreadable (a chunk claims more than the
// file holds) or cannot be converted.
std::vector<uint8_t> loadWavFor(const char* fileName, const SDL_AudioSpec& device);
