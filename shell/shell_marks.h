#pragma once
// What a shell shows and holds beside the rules, kept by its portable part
// and the same on every platform: the fast watch's hold, and the line that
// tells what a key did. None of it reaches the Game, so none of it is
// recorded, and a saved picture, drawn from the Game alone, never shows it.

#include <string>

struct Game;
struct NoticeTexts;
struct Pads;
struct RoundDriver;

// A line that tells what a key did, shown from `shownAt` (the frame clock's
// counter, in seconds) and fading out after kNoticeSeconds.
struct Notice {
    std::string text;  // UTF-8; empty: none
    double shownAt = 0;
};

// Fully shown for most of it, then fading to nothing.
constexpr double kNoticeSeconds = 1.5;
constexpr double kNoticeFadeSeconds = 0.5;

struct ShellMarks {
    bool fastKey = false;                // the fast watch's key is held
    const Pads* pads = nullptr;          // and any right trigger of these holds it too
    const NoticeTexts* texts = nullptr;  // the language the dialogs use; null: the table's first
    Notice notice;
    bool noticeDrawn = false;            // the last picture showed it: one more picture takes it away
    bool newBest = false;                // the round's catch is a new best, said beside the end screen's score
};

// The dialogs' texts, the table's first language when the shell named none.
const NoticeTexts& noticeTexts(const ShellMarks& marks);

// The frame clock's counter now, in seconds.
double clockSeconds(const Game& game);

// `text` shown from now.
void showNotice(ShellMarks& marks, const Game& game, const char* text);

// How much of the notice shows at `now`: 1, then fading, then 0 (also for none).
float noticeOpacity(const Notice& notice, double now);

// Whether the picture changes with time although the round does not move:
// a notice fades, or one just gone still shows.
bool marksChanging(const ShellMarks& marks, const Game& game);

// While a recording is watched, four times its speed as long as the fast
// key or a right trigger is held; otherwise its own.
void followFastWatch(RoundDriver& driver, const ShellMarks& marks);
