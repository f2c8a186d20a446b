// Window-system events to the game's operations. Keys and pads write the key
// table (Alt+Enter and F11 toggle full screen instead), size changes reset
// the view, focus moves the display between the game's mode and the
// desktop's, and a lost focus lets go of every key; the mouse does nothing.

#include "core/game.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// Alt+Enter (either Enter) and F11 switch between full screen and a window.
bool isToggleKey(const SDL_Keysym& key) {
    const bool enter = key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
    return (enter && (key.mod & KMOD_ALT) != 0) || key.scancode == SDL_SCANCODE_F11;
}

void onKey(Game& game, SdlShell& shell, const SDL_KeyboardEvent& event) {
    // The toggle's Enter must never reach the end screen, which it would
    // close: not as a repeat, nor after Alt is let go, nor as the press SDL
    // reports again when the focus comes back with the key still down.
    if (shell.toggleKey != SDL_SCANCODE_UNKNOWN && event.keysym.scancode == shell.toggleKey) {
        if (event.type == SDL_KEYUP) shell.toggleKey = SDL_SCANCODE_UNKNOWN;
        return;
    }
    if (event.type == SDL_KEYDOWN && isToggleKey(event.keysym)) {
        shell.toggleKey = event.keysym.scancode;
        toggleFullScreen(game, shell);
        return;
    }
    if (isSystemKey(event.keysym)) return;
    const int32_t key = virtualKeyOf(event.keysym);
    if (key < 0) return;
    // Auto-repeats arrive as further presses and are handled like the first.
    if (event.type == SDL_KEYDOWN)
        game.onKeyDown(key);
    else
        game.onKeyUp(key);
}

// A window brought back from the taskbar without the focus (some window
// managers restore without activating) must not stay a small window in the
// desktop's mode: back to full screen as on a re-activation.
void onRestored(SdlShell& shell) {
    if ((SDL_GetWindowFlags(shell.window) & SDL_WINDOW_FULLSCREEN) == 0) onActivated(shell.run);
}

// Time away is not played: the first frame after a return gets an ordinary
// elapsed time, not the whole absence. Long frames during play keep theirs.
void onBack(Game& game) { game.restartFrameClock(); }

void onWindowEvent(Game& game, SdlShell& shell, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED: sizeView(shell); break;
        // Once the game is ending the window goes away anyway: no minimising
        // then. A window that stays on the desktop (any window, and full
        // screen on Wayland) holds the round still.
        case SDL_WINDOWEVENT_FOCUS_LOST:
            shell.held = shell.inWindow || onWayland();
            releaseAllKeys(game);
            onDeactivated(shell.run, game.quitRequested);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            shell.held = false;
            // A toggle key let go elsewhere sent its release there.
            if (shell.toggleKey != SDL_SCANCODE_UNKNOWN && !SDL_GetKeyboardState(nullptr)[shell.toggleKey])
                shell.toggleKey = SDL_SCANCODE_UNKNOWN;
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
