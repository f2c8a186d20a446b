#pragma once
// Display steps that only note what the policy asked of them, in order, and
// answer as told: the display policy's tests and the shells' event tests.

#include <string>
#include <vector>

#include "shell/display_policy.h"

struct RecordingSteps {
    std::vector<std::string> log;
    int32_t queryAnswers = 1;
    int32_t applyAnswers = 1;
    int32_t restoreAnswers = 1;

    DisplaySteps steps() {
        DisplaySteps steps;
        steps.shell = this;
        steps.showCursor = [](void* self, int32_t shown) { note(self, shown ? "cursor shown" : "cursor hidden"); };
        steps.minimiseWindow = [](void* self) { note(self, "minimise"); };
        steps.queryDesktopMode = [](void* self) { return note(self, "query").queryAnswers; };
        steps.applyGameMode = [](void* self) { return note(self, "apply").applyAnswers; };
        steps.restoreDesktopMode = [](void* self) { return note(self, "restore").restoreAnswers; };
        steps.postQuit = [](void* self, int exitCode) { note(self, "quit " + std::to_string(exitCode)); };
        return steps;
    }

private:
    static RecordingSteps& note(void* self, const std::string& step) {
        RecordingSteps& recording = *static_cast<RecordingSteps*>(self);
        recording.log.push_back(step);
        return recording;
    }
};
