// SDL keys as the Windows virtual-key codes the game's key table is indexed by.
//
// Digits, keypad, arrows and function keys go by position (scancode), as
// Windows layouts keep '1'..'6' on the top row whatever the row prints.
// Letters go by the layout's letter, as Windows letter codes do.

#include "core/keys.h"
#include "shell/keypad_keys.h"
#include "shell/sdl/sdl_shell.h"

namespace {
int32_t keypadKey(const SDL_Keysym& key) {
    const SDL_Scancode code = key.scancode;
    const int digit = code == SDL_SCANCODE_KP_0 ? 0 : 1 + (code - SDL_SCANCODE_KP_1);
    if ((key.mod & KMOD_NUM) == 0) return kKeypadWithoutNumLock[digit];
    return kKeyNumpad0 + digit;
}

int32_t letterKey(const SDL_Keysym& key) {
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) return kKeyA + (key.sym - SDLK_a);
    // A layout without Latin letters: the key's place on a US keyboard.
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
        return kKeyA + (key.scancode - SDL_SCANCODE_A);
    return -1;
}
}  // namespace

int32_t virtualKeyOf(const SDL_Keysym& key) {
    const SDL_Scancode code = key.scancode;
    // SDL numbers the digit rows 1..9 then 0; Windows 0..9.
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return kKey1 + (code - SDL_SCANCODE_1);
    if (code == SDL_SCANCODE_0) return kKey0;
    if ((code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) || code == SDL_SCANCODE_KP_0) return keypadKey(key);
    if (code == SDL_SCANCODE_KP_PERIOD && (key.mod & KMOD_NUM) == 0) return kKeypadPointWithoutNumLock;
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return kKeyF1 + (code - SDL_SCANCODE_F1);
    switch (code) {
        case SDL_SCANCODE_LEFT: return kKeyLeft;
        case SDL_SCANCODE_UP: return kKeyUp;
        case SDL_SCANCODE_RIGHT: return kKeyRight;
        case SDL_SCANCODE_DOWN: return kKeyDown;
        case SDL_SCANCODE_SPACE: return kKeySpace;
        case SDL_SCANCODE_TAB: return kKeyTab;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER: return kKeyReturn;
        case SDL_SCANCODE_ESCAPE: return kKeyEscape;
        case SDL_SCANCODE_PAUSE: return kKeyPause;
        default: return letterKey(key);
    }
}
