// The page's events to the game's operations: keys and the touch controls
// write the key table while a round is on (the shell's own keys act
// instead: Alt+Enter and F11 toggle the page's full screen, P and Pause
// pause, M mutes, F12 downloads the picture), a lost focus lets go of every
// key, and a return (the page focused, its tab shown) does not play the time
// away.

#include <cstdio>
#include <ctime>
#include <string>

#include "core/game.h"
#include "core/pause.h"
#include "render/frame_picture.h"
#include "shell/shell_actions.h"
#include "shell/web/web_keys.h"
#include "shell/web/web_shell.h"

namespace {
// What the shell's own keys need of the page: its full screen, a download
// named by the page's local time, the console (a log line, not an error).
// The page draws on its own animation frames.
ShellSteps actionSteps() {
    ShellSteps steps;
    steps.toggleFullScreen = [](void*, Game&) { webToggleFullScreen(); };
    steps.keepPicture = [](void*, const FramePicture& picture, std::string* name, std::string* why) {
        const std::string bytes = pngBytes(picture);
        const std::time_t now = std::time(nullptr);
        const std::tm* local = std::localtime(&now);
        const std::string file = local != nullptr ? pictureFileName(*local) : "korvada.png";
        *name = file + " (a download)";
        *why = "the page could not offer it";
        return !bytes.empty() && webSavePicture(file.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    };
    steps.say = [](void*, const std::string& line) { std::printf("%s\n", line.c_str()); };
    steps.redraw = [](void*) {};
    return steps;
}
}  // namespace

bool handleKey(Game& game, WebShell& shell, int eventType, const EmscriptenKeyboardEvent& event) {
    if (!shell.roundOn) return false;
    const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    const int32_t key = virtualKeyOfWebKey(event.code, event.key);
    // The latched key's repeats and release are the page's too: they do
    // what they would have done, nothing.
    const bool latched = key >= 0 && key == shell.keyLatch.key;
    const KeyRoute route = routeKey(shell.keyLatch, key, down, event.altKey, event.repeat);
    carryOut(game, shell.marks, actionSteps(), route.action);
    if (!route.toGame) return latched || route.action != ShellAction::Nothing || key == kFastWatchKey;
    // Auto-repeats arrive as further presses and are handled like the first.
    if (down)
        game.onKeyDown(key);
    else
        game.onKeyUp(key);
    return !browserKeepsKey(event.code, event.ctrlKey || event.metaKey);
}

void loseFocus(Game& game, WebShell& shell) {
    releaseAllKeys(game);
    shell.marks.fastKey = false;
}

// A hidden tab gets no animation frames, and the first frame after the
// return would otherwise get the whole absence.
void comeBack(Game& game) { game.restartFrameClock(); }

// Between rounds the game takes no new key; letting go is always safe.
void touchKey(Game& game, const WebShell& shell, int32_t key, bool down) {
    if (!down)
        releaseKey(game, TouchInput, key);
    else if (shell.roundOn)
        pressKey(game, TouchInput, key);
}

// The next preset after the one shown, 6 wrapping to 1, as its number key.
void touchCamera(Game& game, const WebShell& shell) {
    if (shell.roundOn) stepCamera(game, TouchInput, 1);
}

void touchPause(Game& game, const WebShell& shell) {
    if (shell.roundOn) togglePause(game);
}

// A cancelled touch, a hidden page: every finger is gone.
void loseTouch(Game& game) { releaseSource(game, TouchInput); }
