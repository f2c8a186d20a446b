#include "shell/shell_marks.h"

#include "core/game.h"
#include "core/pad_mapping.h"
#include "core/round_driver.h"
#include "setup/setup_texts.h"

const NoticeTexts& noticeTexts(const ShellMarks& marks) {
    return marks.texts != nullptr ? *marks.texts : kLanguages[0].notices;
}

double clockSeconds(const Game& game) {
    const int64_t frequency = game.frameClock.frequency;
    if (frequency <= 0 || game.platform.counter == nullptr) return 0;
    return static_cast<double>(game.platform.counter(game.platform.shell)) / static_cast<double>(frequency);
}

void showNotice(ShellMarks& marks, const Game& game, const char* text) {
    marks.notice.text = text;
    marks.notice.shownAt = clockSeconds(game);
}

float noticeOpacity(const Notice& notice, double now) {
    const double age = now - notice.shownAt;
    if (notice.text.empty() || age >= kNoticeSeconds) return 0;
    const double fadeFrom = kNoticeSeconds - kNoticeFadeSeconds;
    return age <= fadeFrom ? 1.0f : static_cast<float>((kNoticeSeconds - age) / kNoticeFadeSeconds);
}

bool marksChanging(const ShellMarks& marks, const Game& game) {
    return marks.noticeDrawn || noticeOpacity(marks.notice, clockSeconds(game)) > 0;
}

void followFastWatch(RoundDriver& driver, const ShellMarks& marks) {
    const bool held = marks.fastKey || (marks.pads != nullptr && padsHoldFast(*marks.pads));
    setPlaybackSpeed(driver, watching(driver) && held ? 4 : 1);
}
