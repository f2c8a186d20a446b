#include "shell/frame.h"

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "render/lettering.h"
#include "render/play_frame.h"
#include "render/render_frame.h"
#include "render/scene.h"
#include "render/score_and_end_screen.h"
#include "setup/setup_texts.h"

namespace {
// The notice high in the view, clear of the bottles; the paused picture's
// hint under its two bars.
constexpr float kNoticeY = 0.3f;
constexpr float kPausedHintY = -0.17f;

// The marks' lines over the picture, before the swap: never in a picture a
// key saves, nor in a recording, which are the Game's alone.
void drawMarks(const Game& game, ShellMarks& marks) {
    const NoticeTexts& texts = noticeTexts(marks);
    if (game.gameOver && marks.newBest) drawBesideEndScore(texts.newBest);
    if (game.paused && !game.gameOver) drawLettering(texts.pausedHint, 0, kPausedHintY, kLetteringHeight, 1);
    const float opacity = noticeOpacity(marks.notice, clockSeconds(game));
    drawLettering(marks.notice.text, 0, kNoticeY, kLetteringHeight, opacity);
    marks.noticeDrawn = opacity > 0;
}
}  // namespace

void prepareRun(Game& game) {
    initGlState();
    loadTextures(game);
}

void paintFrame(Game& game, RoundDriver& driver, ShellMarks& marks) {
    if (game.paused) {
        showFrame(game, marks);
        return;
    }
    followFastWatch(driver, marks);
    if (updateFrame(driver, game) == FrameUpdate::Step)
        drawPlayFrame(game);
    else
        renderFrame(game);
    drawMarks(game, marks);
    game.platform.swapBuffers(game.platform.shell);
}

void showFrame(const Game& game, ShellMarks& marks) {
    renderFrame(game);
    drawMarks(game, marks);
    game.platform.swapBuffers(game.platform.shell);
}
