#include "shell/frame.h"

#include "assets/texture.h"
#include "core/game.h"
#include "core/recording.h"
#include "render/scene.h"

namespace {
void swap(Game& game) { game.platform.swapBuffers(game.platform.shell); }

// The recorded frames due by now, each its keys and its update, then one
// picture: the last frame's, drawn as play when it was a step (the step
// that ends the round too). Returns false when the playback ended before
// any frame of it was played: the frame is then the viewer's own.
bool paintPlayedBackFrame(Game& game) {
    RecordedFrame last = RecordedFrame::Ended;
    for (int32_t due = recordedFramesDue(game); due > 0; --due) {
        const RecordedFrame played = playRecordedFrame(game);
        if (played == RecordedFrame::Ended) break;
        last = played;
    }
    if (last == RecordedFrame::Ended && !playingBack(game)) return false;
    if (last == RecordedFrame::Step)
        drawPlayFrame(game);
    else
        renderFrame(game);
    swap(game);
    return true;
}
}  // namespace

void prepareRun(Game& game) {
    initGlState();
    loadTextures(game);
}

void paintFrame(Game& game) {
    if (game.paused) {
        showFrame(game);
        return;
    }
    if (playingBack(game) && paintPlayedBackFrame(game)) return;
    if (game.gameOver) {
        renderFrame(game);
        game.countEndScreenTime();
    } else {
        game.stepSimulation();
        drawPlayFrame(game);
    }
    swap(game);
}

void showFrame(const Game& game) {
    renderFrame(game);
    game.platform.swapBuffers(game.platform.shell);
}
