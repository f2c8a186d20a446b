#include "shell/shell_actions.h"

#include <system_error>

#include "core/game.h"
#include "core/pause.h"
#include "core/sound_cues.h"
#include "render/frame_picture.h"
#include "setup/setup_texts.h"

namespace {
// The round as it stands, without the pause mark (the end screen once it is
// over), kept by the platform.
void keepPicture(const Game& game, ShellMarks& marks, const ShellSteps& steps) {
    std::string name, why;
    const bool kept = steps.keepPicture(steps.shell, pictureOfRound(game), &name, &why);
    steps.say(steps.shell, kept ? "korvada: the picture is saved as " + name : "korvada: the picture is not saved: " + why);
    showNotice(marks, game, kept ? noticeTexts(marks).pictureSaved : noticeTexts(marks).pictureNotSaved);
}

void mute(Game& game, ShellMarks& marks, const ShellSteps& steps) {
    const bool muted = toggleMute(game);
    steps.say(steps.shell, muted ? "korvada: the cues are muted" : "korvada: the cues sound again");
    showNotice(marks, game, muted ? noticeTexts(marks).soundOff : noticeTexts(marks).soundOn);
}
}  // namespace

void carryOut(Game& game, ShellMarks& marks, const ShellSteps& steps, ShellAction action) {
    switch (action) {
        case ShellAction::ToggleFullScreen: steps.toggleFullScreen(steps.shell, game); break;
        case ShellAction::TogglePause: togglePause(game); break;
        case ShellAction::ToggleMute: mute(game, marks, steps); break;
        case ShellAction::SavePicture: keepPicture(game, marks, steps); break;
        // The next frame plays at the speed they hold.
        case ShellAction::HoldFast: marks.fastKey = true; return;
        case ShellAction::LetGoFast: marks.fastKey = false; return;
        case ShellAction::Nothing: return;
    }
    steps.redraw(steps.shell);
}

bool savePictureIn(const std::filesystem::path& folder, const FramePicture& picture, std::time_t moment,
                   std::string* name, std::string* why) {
    if (folder.empty()) {
        *why = "the system names no pictures folder";
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        *why = "cannot create " + folder.u8string() + ": " + failure.message();
        return false;
    }
    const std::filesystem::path file = newPicturePath(folder, moment);
    if (!writePngFile(file, picture, why)) return false;
    *name = file.u8string();
    return true;
}
