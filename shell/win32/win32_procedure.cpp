#include "shell/win32/win32_procedure.h"

#include "core/game.h"
#include "core/input.h"

namespace {
void redraw(const WindowProcedure& procedure) { procedure.window.redraw(procedure.window.shell); }

bool active(const WindowProcedure& procedure) { return procedure.window.active(procedure.window.shell) != 0; }

// Time away is not played: the first frame after a return gets an ordinary
// elapsed time, not the whole absence. A held window runs frames again.
void comeBack(Game& game, const WindowProcedure& procedure) {
    game.restartFrameClock();
    redraw(procedure);
}
}  // namespace

// Windows gives either Enter as VK_RETURN.
void onKeyMessage(Game& game, WindowProcedure& procedure, uint32_t message, uint64_t wParam, int64_t lParam) {
    const bool down = message == kWmKeyDown || message == kWmSysKeyDown;
    const int32_t key = static_cast<int32_t>(wParam);
    const KeyRoute route =
        routeKey(procedure.keyLatch, key, down, (lParam & kKeyAltHeld) != 0, (lParam & kKeyWasDown) != 0);
    carryOut(game, procedure.marks, procedure.actions, route.action);
    if (!route.toGame) return;
    if (!down)
        game.onKeyUp(key);
    else if (game.onKeyDown(key))
        redraw(procedure);
}

void onActivateMessage(Game& game, WindowProcedure& procedure, uint64_t wParam) {
    switch (static_cast<uint32_t>(wParam & 0xFFFF)) {
        case kWaActive:
            // The game's mode back first: the time its switch takes is not
            // played either.
            onActivated(procedure.run);
            comeBack(game, procedure);
            break;
        case kWaInactive:
            // A window on the desktop shows its picture meanwhile, and a
            // full-screen one goes down to the taskbar. Windows may paint a
            // window it restores before activating it; that paint must not
            // play the time away. The window closing at the end of the game
            // is deactivated too; it must not flash down to the taskbar on
            // its way out.
            releaseAllKeys(game);
            procedure.marks.fastKey = false;
            onDeactivated(procedure.run, game.quitRequested);
            break;
        default:  // activated by a mouse click: the display and the cursor stay
            onActivatedByClick(procedure.run);
            comeBack(game, procedure);
            break;
    }
}

// A frame that plays reads the pads itself.
void onTimerMessage(Game& game, WindowProcedure& procedure) {
    if (framePlays(procedure.run, game) || procedure.run.held || !active(procedure)) return;
    procedure.window.readPads(procedure.window.shell, game);
    // A paused picture is drawn anew only while a notice fades on it.
    if (!game.paused || marksChanging(procedure.marks, game)) redraw(procedure);
}

void readPadsForPaint(Game& game, WindowProcedure& procedure) {
    if (active(procedure)) procedure.window.readPads(procedure.window.shell, game);
}
