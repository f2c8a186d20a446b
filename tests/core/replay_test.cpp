// korvada-replay's output is read by other tools: its shape is a contract.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ReplayRun {
    int exitCode;
    std::vector<std::vector<std::string>> lines;  // whitespace-separated words
    std::string text;
};

ReplayRun replay(const std::string& arguments) {
    const std::string command = std::string(KORVADA_REPLAY) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ReplayRun run{};
    char buffer[4096];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.text += buffer;
        std::istringstream words(buffer);
        std::vector<std::string> line;
        for (std::string w; words >> w;) line.push_back(w);
        run.lines.push_back(line);
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::vector<std::string>> linesOf(const ReplayRun& run, const std::string& kind) {
    std::vector<std::vector<std::string>> out;
    for (const auto& line : run.lines)
        if (!line.empty() && line[0] == kind) out.push_back(line);
    return out;
}

TEST(Replay, DefaultRunPrintsSetupThenTheLastStep) {
    const ReplayRun run = replay("");
    ASSERT_EQ(run.exitCode, 0) << run.text;
    const auto states = linesOf(run, "state");
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0], (std::vector<std::string>{"state", "0", "0"}));
    EXPECT_EQ(states[1], (std::vector<std::string>{"state", "1000", "0"}));
    EXPECT_EQ(linesOf(run, "bottle").size(), 8u);
    const auto bubbles = linesOf(run, "bubble");
    ASSERT_EQ(bubbles.size(), 30u);
    EXPECT_EQ(bubbles[0].size(), 6u);
    EXPECT_EQ(bubbles[29][1], "29");
    // The first lines: setup, player's bottle at the middle place.
    EXPECT_EQ(run.lines[1], (std::vector<std::string>{"bottle", "0", "-60", "6870", "0", "0", "0", "0", "0", "0",
                                                      "0", "1"}));
    EXPECT_EQ(run.lines[5][0], "bubble");
}

TEST(Replay, SameSeedSameRoundOtherSeedOtherRound) {
    const ReplayRun a = replay("--seed 42 --steps 300 --bottles 16");
    const ReplayRun b = replay("--seed 42 --steps 300 --bottles 16");
    const ReplayRun c = replay("--seed 43 --steps 300 --bottles 16");
    EXPECT_EQ(a.text, b.text);
    EXPECT_NE(a.text, c.text);
}

TEST(Replay, EveryNthStepAndTheRoundsEnd) {
    const ReplayRun run = replay("--bottles 1 --bubbles 0 --steps 100000 --dt 0.05 --every 200");
    ASSERT_EQ(run.exitCode, 0);
    const auto states = linesOf(run, "state");
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ(states[1][1], "200");
    EXPECT_EQ(states[2][1], "400");
    // Stops after the step that lands.
    EXPECT_EQ(states.back()[2], "1");
    EXPECT_LT(std::stof(linesOf(run, "bottle").back()[3]), 15.0f);
    EXPECT_NE(states.back()[1], "100000");
}

TEST(Replay, HeldKeysSteerThePlayer) {
    const ReplayRun run = replay("--bottles 1 --steps 20 --keys 1-10:RIGHT,5-20:UP");
    ASSERT_EQ(run.exitCode, 0);
    const auto last = linesOf(run, "bottle").back();
    EXPECT_GT(std::stof(last[2]), -60.0f);  // moved toward +x
    EXPECT_LT(std::stof(last[4]), 0.0f);    // moved toward -z
    EXPECT_FLOAT_EQ(std::stof(last[5]), 250 * 0.016f * 10);
}

TEST(Replay, CuesComeWithTheirStep) {
    // Two bottles start stacked in a column 30 apart in z; steering and
    // knocks soon follow once they fall below the ceiling.
    const ReplayRun run = replay("--seed 7 --bottles 16 --steps 3000");
    const auto cues = linesOf(run, "cue");
    ASSERT_FALSE(cues.empty());
    for (const auto& cue : cues) {
        ASSERT_EQ(cue.size(), 3u);
        EXPECT_GT(std::stol(cue[1]), 0);
        EXPECT_TRUE(cue[2] == "zblunk.wav" || cue[2].rfind("tuk", 0) == 0) << cue[2];
    }
    EXPECT_TRUE(linesOf(replay("--seed 7 --bottles 16 --steps 3000 --sound 0"), "cue").empty());
}

// Recordings of version 1, made before there was a version 2, play as they
// always did: a round that landed, one that Esc ended.
TEST(Replay, AVersionOneRecordingPlaysForGood) {
    const ReplayRun landed = replay(std::string("--recording ") + KORVADA_RECORDINGS + "/landed.kvr");
    ASSERT_EQ(landed.exitCode, 0) << landed.text;
    EXPECT_EQ(linesOf(landed, "state").back(), (std::vector<std::string>{"state", "223", "1"}));
    EXPECT_EQ(linesOf(landed, "bottle").back(), (std::vector<std::string>{"bottle", "0", "-60", "-15.9297256", "-60",
                                                                          "0", "136.913376", "0", "0", "0", "0", "1"}));
    const ReplayRun escaped = replay(std::string("--recording ") + KORVADA_RECORDINGS + "/escaped.kvr");
    EXPECT_EQ(linesOf(escaped, "state").back(), (std::vector<std::string>{"state", "5", "1"}));
    std::vector<std::string> player;
    for (const auto& line : linesOf(escaped, "bottle"))
        if (line[1] == "0") player = line;
    EXPECT_EQ(player, (std::vector<std::string>{"bottle", "0", "-60", "6867.29199", "-34.3250008", "0", "5.38569021",
                                                "-8.25", "0", "0", "0", "1"}));
}

// Today's round of a day: eight bottles laid out from the day, whatever
// else is asked; its recording plays back to the same lines.
TEST(Replay, TheDaysRoundIsLaidOutFromItsDay) {
    const std::string file = ::testing::TempDir() + "replay-daily.kvr";
    const ReplayRun day = replay("--daily 2026-12-10 --steps 100000 --every 700 --keys 1-900:LEFT --name Eva --record " +
                                 file);
    ASSERT_EQ(day.exitCode, 0) << day.text;
    EXPECT_EQ(linesOf(day, "bottle").size() % 8, 0u);
    EXPECT_EQ(replay("--daily 2026-12-10 --steps 0").lines, replay("--daily 2026-12-10 --steps 0 --sound 0").lines);
    EXPECT_NE(replay("--daily 2026-12-10 --steps 0").text, replay("--daily 2026-12-11 --steps 0").text);
    EXPECT_EQ(replay("--recording " + file + " --every 700").text, day.text);
    std::filesystem::remove(file);
}

TEST(Replay, BadArgumentsExitTwoWithOneLine) {
    for (const char* args : {"--daily 2026-12-10 --seed 3", "--bottles 2 --daily 2026-12-10", "--daily 2026-02-30",
                             "--day yesterday", "--name ' Eva'", "--ticket 'a b'",
                             "--bottles 0", "--bottles 65", "--bubbles 129", "--sound 2", "--steps -1",
                             "--dt abc", "--dt -1", "--keys 5-3:LEFT", "--keys 1-3:SPACE", "--keys 1:LEFT",
                             "--every", "--frobnicate 1", "extra", "--record", "--recording",
                             "--recording /nonexistent.kvr", "--recording /nonexistent.kvr --seed 2",
                             "--recording /nonexistent.kvr --record /tmp/x.kvr"}) {
        const ReplayRun run = replay(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_EQ(run.lines.size(), 1u) << args << ": " << run.text;
    }
}

// A round's recording, made on any platform, plays back to the lines the
// round printed; a damaged one is refused in a line.
TEST(Replay, ARecordedRoundPlaysBackToTheSameLines) {
    const std::string file = ::testing::TempDir() + "replay-test.kvr";
    const ReplayRun played =
        replay("--seed 7 --bottles 12 --steps 100000 --every 500 --keys 1-150:RIGHT,100-400:DOWN,500-900:LEFT "
               "--record " + file);
    ASSERT_EQ(played.exitCode, 0) << played.text;
    const ReplayRun back = replay("--recording " + file + " --every 500");
    EXPECT_EQ(back.exitCode, 0);
    EXPECT_EQ(back.text, played.text);
    EXPECT_EQ(linesOf(back, "state").back()[2], "1") << "the round landed";
    EXPECT_FALSE(linesOf(back, "cue").empty());

    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1);
    const ReplayRun refused = replay("--recording " + file);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.text, "korvada-replay: " + file + ": damaged: " +
                                std::to_string(std::filesystem::file_size(file)) + " bytes where its counts make " +
                                std::to_string(std::filesystem::file_size(file) + 1) + "\n");
    std::filesystem::remove(file);
}

}  // namespace
