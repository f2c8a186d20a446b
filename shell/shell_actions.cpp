#include "shell/shell_actions.h"

#include <system_error>

#include "core/game.h"
#include "core/pause.h"
#include "core/sound_cues.h"
#include "render/frame_picture.h"

namespace {
// The round as it stands, without the pause mark (the end screen once it is
// over), kept by the platform.
void keepPicture(const Game& game, const ShellSteps& steps) {
    std::string name, why;
    if (steps.keepPicture(steps.shell, pictureOfRound(game), &name, &why))
        steps.say(steps.shell, "korvada: the picture is saved as " + name);
    else
        steps.say(steps.shell, "korvada: the picture is not saved: " + why);
}
}  // namespace

void carryOut(Game& game, const ShellSteps& steps, ShellAction action) {
    switch (action) {
        case ShellAction::ToggleFullScreen: steps.toggleFullScreen(steps.shell, game); break;
        case ShellAction::TogglePause: togglePause(game); break;
        case ShellAction::ToggleMute:
            steps.say(steps.shell, toggleMute(game) ? "korvada: the cues are muted" : "korvada: the cues sound again");
            break;
        case ShellAction::SavePicture: keepPicture(game, steps); break;
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
