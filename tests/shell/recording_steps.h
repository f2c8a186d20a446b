#pragma once
// Display steps that only note what the policy asked of them, in order, and
// answer as told: the display policy's tests and the shells' event tests.
// Both ways of showing the game note into one log, the window's steps
// marked "window:".

#include <string>
#include <vector>

#include "shell/display_policy.h"

struct RecordingSteps {
    std::vector<std::string> log;
    int32_t queryAnswers = 1;
    int32_t applyAnswers = 1;
    int32_t restoreAnswers = 1;

    // The full-screen way's steps, or with `prefix` "window: " another way's.
    DisplaySteps steps(const char* prefix = "") {
        DisplaySteps steps;
        Way& way = prefix[0] == '\0' ? fullScreen : window;
        way = Way{this, prefix};
        steps.shell = &way;
        steps.showCursor = [](void* self, int32_t shown) { note(self, shown ? "cursor shown" : "cursor hidden"); };
        steps.minimiseWindow = [](void* self) { note(self, "minimise"); };
        steps.queryDesktopMode = [](void* self) { return note(self, "query").queryAnswers; };
        steps.applyGameMode = [](void* self) { return note(self, "apply").applyAnswers; };
        steps.restoreDesktopMode = [](void* self) { return note(self, "restore").restoreAnswers; };
        steps.shapeWindow = [](void* self) { note(self, "shape"); };
        steps.postQuit = [](void* self, int exitCode) { note(self, "quit " + std::to_string(exitCode)); };
        return steps;
    }

    // Both ways into a run; it starts full screen.
    void handTo(DisplayRun& run) {
        run.fullScreen = steps();
        run.window = steps("window: ");
    }

private:
    struct Way {
        RecordingSteps* recording = nullptr;
        std::string prefix;
    };
    Way fullScreen, window;

    static RecordingSteps& note(void* self, const std::string& step) {
        Way& way = *static_cast<Way*>(self);
        way.recording->log.push_back(way.prefix + step);
        return *way.recording;
    }
};
