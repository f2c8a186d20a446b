// Window-system events to the game's operations. Keys and pads write the key
// table (the shell's own keys act instead: Alt+Enter and F11 toggle full
// screen, P and Pause pause, M mutes, F12 saves the picture), size changes
// reset the view, focus moves the display between the game's mode and the
// desktop's, and a lost focus lets go of every key and holds the round
// still; the mouse does nothing.

#include <cstdio>
#include <ctime>
#include <string>

#include "core/game.h"
#include "linux/linux_places.h"
#include "shell/shell_actions.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// What the shell's own keys need of Linux: the display policy's switch, the
// pictures folder xdg-user-dirs names, stderr. SDL draws on its own.
ShellSteps actionSteps(SdlShell& shell) {
    ShellSteps steps;
    steps.shell = &shell;
    steps.toggleFullScreen = [](void* self, Game& game) { toggleFullScreen(static_cast<SdlShell*>(self)->run, game); };
    steps.keepPicture = [](void*, const FramePicture& picture, std::string* name, std::string* why) {
        return savePictureIn(picturesFolder(), picture, std::time(nullptr), name, why);
    };
    steps.say = [](void*, const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    steps.redraw = [](void*) {};
    return steps;
}

// A key to the game's code, Alt's state and whether it is an auto-repeat;
// where it goes is decided for every shell (shell/shell_keys.h). The game
// takes auto-repeats as further presses, like the first.
void onKey(Game& game, SdlShell& shell, const SDL_KeyboardEvent& event) {
    const bool down = event.type == SDL_KEYDOWN;
    const int32_t key = virtualKeyOf(event.keysym);
    const KeyRoute route =
        routeKey(shell.keyLatch, key, down, (event.keysym.mod & KMOD_ALT) != 0, event.repeat != 0);
    carryOut(game, shell.marks, actionSteps(shell), route.action);
    if (!route.toGame) return;
    if (down)
        game.onKeyDown(key);
    else
        game.onKeyUp(key);
}

// A window brought back from the taskbar without the focus (some window
// managers restore without activating) must not stay a small window in the
// desktop's mode: back to full screen as on a re-activation.
void onRestored(SdlShell& shell) {
    if ((SDL_GetWindowFlags(shell.window) & SDL_WINDOW_FULLSCREEN) == 0) onRestoredWithoutFocus(shell.run);
}

// Time away is not played: the first frame after a return gets an ordinary
// elapsed time, not the whole absence. Long frames during play keep theirs.
void onBack(Game& game) { game.restartFrameClock(); }

void onWindowEvent(Game& game, SdlShell& shell, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED: sizeView(shell); break;
        // Once the game is ending the window goes away anyway: no minimising
        // then. Until the focus returns the round holds still.
        case SDL_WINDOWEVENT_FOCUS_LOST:
            releaseAllKeys(game);
            shell.marks.fastKey = false;
            onDeactivated(shell.run, game.quitRequested);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            padsGainFocus(game, shell);
            onBack(game);
            onActivated(shell.run);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
            onBack(game);
            onRestored(shell);
            break;
        case SDL_WINDOWEVENT_CLOSE: shell.closeRequested = true; break;
        default: break;
    }
}
}  // namespace

void handleEvent(Game& game, SdlShell& shell, const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: onKey(game, shell, event.key); break;
        case SDL_WINDOWEVENT: onWindowEvent(game, shell, event.window); break;
        // The window manager's close, or an interrupt: the same end as the end screen's.
        case SDL_QUIT: shell.closeRequested = true; break;
        case SDL_AUDIODEVICEADDED:
        case SDL_AUDIODEVICEREMOVED: handleSoundEvent(shell, event.adevice); break;
        default: handlePadEvent(game, shell, event); break;
    }
}
