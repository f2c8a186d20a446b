#pragma once
// What a shell's own key means (ShellAction, shell/shell_keys.h), carried out
// once for every shell: the pause held or let go, the cues muted or sounding,
// the picture kept, the full-screen switch. A shell hands over only what its
// platform does differently, as ShellSteps: how it switches, where a picture
// goes, where a line for the player goes, and whether a picture must be
// asked for. No platform header here.

#include <ctime>
#include <filesystem>
#include <string>

#include "shell/shell_keys.h"
#include "shell/shell_marks.h"

struct Game;
struct FramePicture;

struct ShellSteps {
    void* shell = nullptr;  // the shell's own record, handed back to each step
    // Full screen to a window and back: the desktops' display policy, the page's own full screen.
    void (*toggleFullScreen)(void* shell, Game& game) = nullptr;
    // Keeps the picture where the player finds it: true with what it is now
    // called in *name, or false with the reason in *why.
    bool (*keepPicture)(void* shell, const FramePicture& picture, std::string* name, std::string* why) = nullptr;
    // One line of what the key did, for a player who reads the program's
    // output (stderr on the desktop, the page's console).
    void (*say)(void* shell, const std::string& line) = nullptr;
    // After any action: the picture drawn anew, where the platform draws only
    // when asked (Windows' paint message); the others draw on their own.
    void (*redraw)(void* shell) = nullptr;
};

// Carries out one action, telling in the picture what it did (the marks'
// notice) and in a line (say); Nothing does nothing, not even a redraw.
void carryOut(Game& game, ShellMarks& marks, const ShellSteps& steps, ShellAction action);

// The desktops' way to keep a picture: a PNG in `folder` (made when missing)
// named by the local time `moment` (render/frame_picture.h), its path in
// *name. An empty folder is a system that names no pictures folder.
bool savePictureIn(const std::filesystem::path& folder, const FramePicture& picture, std::time_t moment,
                   std::string* name, std::string* why);
