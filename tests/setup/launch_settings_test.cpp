#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <set>

#include "core/player_name.h"
#include "core/recording.h"
#include "korvada_data_files.h"
#include "linux/linux_places.h"
#include "setup/best_round.h"
#include "setup/launch_settings.h"
#include "setup/pad_menu.h"
#include "setup/setup_texts.h"
#include "tests/child_process.h"

namespace fs = std::filesystem;

namespace {

bool sameSettings(const GameSettings& a, const GameSettings& b) {
    return a.resolutionIndex == b.resolutionIndex && a.colorCode == b.colorCode && a.blending == b.blending &&
           a.bottleCount == b.bottleCount && a.sound == b.sound;
}

const SetupTexts& czech() { return setupTexts(languageOf("cs")); }
const SetupTexts& english() { return setupTexts(languageOf("en")); }

// The words of a text, parted by blanks and punctuation.
std::set<std::string> wordsOf(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        const char c = at < text.size() ? text[at] : ' ';
        if (std::strchr(" :,();", c) == nullptr) {
            word += c;
        } else if (!word.empty()) {
            words.insert(word);
            word.clear();
        }
    }
    return words;
}

// A reason in Czech keeps no word of its English (but those of its paths and
// numbers, and the words the two languages share): every phrase of it has
// its Czech wording.
void expectCzechThroughAndThrough(const std::string& reason) {
    const std::string said = reasonIn(czech(), reason);
    const std::set<std::string> shared = {"data", "disk", "program"}, saidWords = wordsOf(said);
    for (const std::string& word : wordsOf(reason)) {
        const bool path = word.find_first_of("/\\0123456789.") != std::string::npos;
        if (!path && word.size() > 2 && !shared.count(word) && saidWords.count(word))
            ADD_FAILURE() << "\"" << word << "\" of \"" << reason << "\" is left in \"" << said << "\"";
    }
}

TEST(EncodeLaunchCode, IsTheInverseOfTheDecodeForEverySettingTheGameAccepts) {
    int checked = 0;
    for (int row = 0; row < kResolutionCount; ++row)
        for (int colour : {'H', 'T'})
            for (int blending : {0, 1})
                for (int bottles = 0; bottles <= 62; ++bottles)
                    for (int sound : {0, 1}) {
                        const GameSettings settings{row, colour, blending, bottles, sound};
                        const std::string code = encodeLaunchCode(settings);
                        GameSettings decoded{-1, -1, -1, -1, -1};
                        ASSERT_EQ(parseLaunchCode(code, &decoded), 1) << code;
                        ASSERT_TRUE(sameSettings(decoded, settings)) << code;
                        ++checked;
                    }
    EXPECT_EQ(checked, kResolutionCount * 2 * 2 * 63 * 2);
    EXPECT_EQ(encodeLaunchCode(GameSettings{3, 'H', 1, 4, 0}), "3HYEN");
    EXPECT_EQ(encodeLaunchCode(GameSettings{5, 'T', 1, 61, 1}), "5TY~Y");
}

TEST(EncodeLaunchCode, ReproducesWhatTheGameReadsFromAnyCharacter) {
    // Each position decodes on its own: every byte there, in an otherwise
    // valid code, that the game takes must come back as the same settings.
    for (int position = 0; position < 5; ++position)
        for (int byte = 1; byte < 256; ++byte) {
            std::string code = "3HYEN";
            code[position] = static_cast<char>(byte);
            GameSettings decoded;
            if (!parseLaunchCode(code, &decoded)) continue;
            GameSettings again{-1, -1, -1, -1, -1};
            ASSERT_EQ(parseLaunchCode(encodeLaunchCode(decoded), &again), 1) << position << ' ' << byte;
            ASSERT_TRUE(sameSettings(again, decoded)) << position << ' ' << byte;
        }
}

TEST(EncodeLaunchCode, RefusesSettingsNoCodeCarries) {
    for (const GameSettings& settings : {GameSettings{kResolutionCount, 'T', 1, 0, 1}, GameSettings{-1, 'T', 1, 0, 1},
                                         GameSettings{0, 'T', 1, 63, 1}, GameSettings{0, 'T', 1, 64, 1},
                                         GameSettings{0, 'T', 1, -1, 1}, GameSettings{0, 'X', 1, 0, 1},
                                         GameSettings{0, 'T', 2, 0, 1}, GameSettings{0, 'T', 1, 0, -1}})
        EXPECT_EQ(encodeLaunchCode(settings), "") << settings.resolutionIndex << ' ' << settings.bottleCount;
}

TEST(Bottles, FourIsTheGamesDefaultAndTheRangeIsOneToSixtyOne) {
    GameSettings settings = defaultSettings();
    EXPECT_EQ(encodeLaunchCode(settings), "0TYAY");
    EXPECT_EQ(bottlesToLay(settings), 4);
    chooseBottles(&settings, 5);
    EXPECT_EQ(encodeLaunchCode(settings), "0TYFY");
    chooseBottles(&settings, 4);
    EXPECT_EQ(encodeLaunchCode(settings), "0TYAY");
    chooseBottles(&settings, 1);
    EXPECT_EQ(encodeLaunchCode(settings), "0TYBY");
    chooseBottles(&settings, 0);
    EXPECT_EQ(bottlesToLay(settings), 1);
    chooseBottles(&settings, 62);
    EXPECT_EQ(encodeLaunchCode(settings), "0TY~Y");
    // A code naming 4 bottles outright shows as 4 too.
    GameSettings explicitFour;
    ASSERT_TRUE(parseLaunchCode("0TYEY", &explicitFour));
    EXPECT_EQ(bottlesToLay(explicitFour), 4);
}

// --- The saved file -----------------------------------------------------------

class SavedFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvada-saved.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        chmod(folder.c_str(), 0755);  // the unprivileged reader below must reach the file
        file = folder / "korvada" / "launch-code";
    }
    void TearDown() override { fs::remove_all(folder); }

    void put(const std::string& content) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }
    std::string content() const {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool write(const fs::path& to, const std::string& code, std::string* error) {
        return writeSavedCode(to, code, diskSteps(), error);
    }
    // The disk's steps with another flush.
    static DiskSteps flushing(bool (*flush)(const fs::path&)) {
        DiskSteps disk = diskSteps();
        disk.flush = flush;
        return disk;
    }
    // Whatever a writer left beside the saved file.
    std::vector<std::string> leftBeside() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path() != file) names.push_back(entry.path().filename().string());
        return names;
    }
    // The line as the setup reads it: "" when it falls back to the defaults.
    std::string readBack() const {
        const SavedCode saved = readSavedCode(file);
        if (!saved.found) {
            EXPECT_TRUE(sameSettings(saved.choice.settings, defaultSettings()));
            EXPECT_TRUE(saved.choice.fullScreen);
            return "";
        }
        return savedLine(saved.choice);
    }

    fs::path folder;
    fs::path file;
};

TEST_F(SavedFile, HoldsOneLineWithTheCodeAndTheWindowChoice) {
    std::string error;
    ASSERT_TRUE(write(file, "3HYEN", &error)) << error;  // the folder is made too
    EXPECT_EQ(content(), "3HYEN\n");
    EXPECT_EQ(readBack(), "3HYEN");
    ASSERT_TRUE(write(file, "5TNQY", &error)) << error;
    EXPECT_EQ(content(), "5TNQY\n");
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
    put("2HNMN\r\n");  // after an editor on Windows
    EXPECT_EQ(readBack(), "2HNMN");
    put("0TY~Y");
    EXPECT_EQ(readBack(), "0TY~Y");

    // A window: the code and its mark; the code alone, as older versions
    // wrote it, is full screen.
    LaunchChoice inWindow;
    ASSERT_TRUE(parseLaunchCode("3HYEN", &inWindow.settings));
    inWindow.fullScreen = false;
    ASSERT_TRUE(write(file, savedLine(inWindow), &error)) << error;
    EXPECT_EQ(content(), "3HYEN window\n");
    EXPECT_FALSE(readSavedCode(file).choice.fullScreen);
    EXPECT_EQ(gameArguments(readSavedCode(file).choice), (std::vector<std::string>{"--window", "3HYEN"}));
    // Watched: the file first, in the order the game reads (--watch FILE [--window] CODE).
    EXPECT_EQ(gameArguments(readSavedCode(file).choice, "/home/a b/best-round-4.kvr"),
              (std::vector<std::string>{"--watch", "/home/a b/best-round-4.kvr", "--window", "3HYEN"}));
    // korvada.exe reads KorvadaSetup.exe's line back: a folder with blanks
    // (a Windows user's name often has one) stays one file.
    const std::string recording = "C:\\Users\\Jan Novák\\AppData\\Roaming\\Korvada\\best-round-4.kvr";
    const std::string line = "\"C:\\Games\\korvada.exe\"" +
                             windowsArguments(gameArguments(readSavedCode(file).choice, recording));
    std::string tail = windowsCommandTail(line.c_str());
    const LaunchOptions options = takeLaunchOptions(&tail);
    EXPECT_TRUE(options.watch && options.window) << line;
    EXPECT_EQ(options.watchFile, recording) << line;
    EXPECT_EQ(tail, "3HYEN") << line;
    put("3HYEN window\r\n");
    EXPECT_EQ(readBack(), "3HYEN window");
    put("3HYEN\n");
    EXPECT_TRUE(readSavedCode(file).choice.fullScreen);
    EXPECT_EQ(gameArguments(readSavedCode(file).choice), (std::vector<std::string>{"3HYEN"}));
}

// The name on a line of its own after the code's, as "name NAME"; the
// game's arguments carry it (and --daily for today's round) to the
// recording, never into a watched round's.
TEST_F(SavedFile, KeepsThePlayersNameOnItsOwnLine) {
    std::string error;
    LaunchChoice named;
    ASSERT_TRUE(parseLaunchCode("3HYEN", &named.settings));
    named.fullScreen = false;
    named.name = "Jan Novák";
    ASSERT_TRUE(write(file, savedLine(named), &error)) << error;
    EXPECT_EQ(content(), "3HYEN window\nname Jan Novák\n");
    EXPECT_EQ(readSavedCode(file).choice.name, "Jan Novák");
    put("3HYEN\r\nname Jana\r\n");
    EXPECT_EQ(readSavedCode(file).choice.name, "Jana");
    EXPECT_TRUE(readSavedCode(file).found);
    // A name the rule refuses (edited by hand, or by a later rule) is no
    // name; the code is still the player's.
    for (const char* refused : {"name  Jana", "name Ja<b>na", "name 123456789012345678901"}) {
        put(std::string("3HYEN\n") + refused + "\n");
        EXPECT_TRUE(readSavedCode(file).found) << refused;
        EXPECT_EQ(readSavedCode(file).choice.name, "") << refused;
    }
    // The longest name in four-byte letters still fits the file's bound.
    const std::string longest = [] { std::string n; for (int i = 0; i < kLongestPlayerName; ++i) n += "\xF0\x9D\x90\x80"; return n; }();
    put("3HYEN window\r\nname " + longest + "\r\n");
    EXPECT_EQ(readSavedCode(file).choice.name, longest);

    EXPECT_EQ(gameArguments(named, {}, DailyRound),
              (std::vector<std::string>{"--daily", "--name", "Jan Novák", "--window", "3HYEN"}));
    EXPECT_EQ(gameArguments(named, "/tmp/r.kvr", DailyRound),
              (std::vector<std::string>{"--watch", "/tmp/r.kvr", "--window", "3HYEN"}));
    // korvada.exe reads a name with a blank back whole.
    std::string tail = windowsCommandTail(("\"C:\\korvada.exe\"" + windowsArguments(gameArguments(named, {}, DailyRound))).c_str());
    const LaunchOptions options = takeLaunchOptions(&tail);
    EXPECT_TRUE(options.daily && options.window);
    EXPECT_EQ(options.name, "Jan Novák");
    EXPECT_EQ(tail, "3HYEN");
    named.name.clear();
    EXPECT_EQ(gameArguments(named, {}, DailyRound), (std::vector<std::string>{"--daily", "--window", "3HYEN"}));
}

// A board's origin and the name's secret for it on lines of their own; an
// address the board's rule refuses, or a damaged secret, is read as none and
// the rest stays. A ticket is the round's alone: never in the file, and on
// the game's line only for today's round.
TEST_F(SavedFile, KeepsTheBoardAndItsSecretButNeverATicket) {
    std::string error;
    LaunchChoice choice;
    ASSERT_TRUE(parseLaunchCode("3HYEN", &choice.settings));
    choice.name = "Jana";
    choice.board = "http://127.0.0.1:8080";
    choice.secret = std::string(42, 'A') + "A";
    choice.ticket = "T1ck3t";
    ASSERT_TRUE(write(file, savedLine(choice), &error)) << error;
    EXPECT_EQ(content(), "3HYEN\nname Jana\nboard http://127.0.0.1:8080\nsecret " + choice.secret + "\n");
    const LaunchChoice back = readSavedCode(file).choice;
    EXPECT_EQ(back.board, choice.board);
    EXPECT_EQ(back.secret, choice.secret);
    EXPECT_EQ(back.ticket, "");
    // In any order, with Windows line ends, and without a name.
    put("3HYEN\r\nsecret " + choice.secret + "\r\nboard https://board.example\r\n");
    EXPECT_EQ(readSavedCode(file).choice.board, "https://board.example");
    EXPECT_EQ(readSavedCode(file).choice.secret, choice.secret);
    for (const char* refused : {"board ftp://x", "board http://x/path", "board HTTP://X", "board x:8080", "board "}) {
        put(std::string("3HYEN\nname Jana\n") + refused + "\n");
        EXPECT_TRUE(readSavedCode(file).found) << refused;
        EXPECT_EQ(readSavedCode(file).choice.board, "") << refused;
        EXPECT_EQ(readSavedCode(file).choice.name, "Jana") << refused;
    }
    put("3HYEN\nsecret " + std::string(42, 'A') + "B\n");  // stray bits in the last letter
    EXPECT_EQ(readSavedCode(file).choice.secret, "");
    put("3HYEN\nboard http://a\nboard http://b\n");
    EXPECT_FALSE(readSavedCode(file).found);

    EXPECT_EQ(gameArguments(choice, {}, DailyRound),
              (std::vector<std::string>{"--daily", "--name", "Jana", "--ticket", "T1ck3t", "3HYEN"}));
    EXPECT_EQ(gameArguments(choice), (std::vector<std::string>{"--name", "Jana", "3HYEN"}));
    EXPECT_EQ(gameArguments(choice, "/tmp/r.kvr", DailyRound), (std::vector<std::string>{"--watch", "/tmp/r.kvr", "3HYEN"}));
    // The game takes the line as the setup makes it.
    std::string tail = windowsCommandTail(("\"C:\\korvada.exe\"" + windowsArguments(gameArguments(choice, {}, DailyRound))).c_str());
    const LaunchOptions options = takeLaunchOptions(&tail);
    EXPECT_EQ(options.ticket, "T1ck3t");
    EXPECT_EQ(tail, "3HYEN");
}

TEST_F(SavedFile, AnythingButACodeTheSetupWritesGivesTheDefaults) {
    EXPECT_EQ(readBack(), "");  // missing
    const std::string pastTheTable(1, static_cast<char>('0' + kResolutionCount));
    for (const std::string& junk :
         {std::string(""), std::string("\n"), std::string("0TYA\n"), std::string("0TYAYY\n"), pastTheTable + "TYAY\n",
          std::string("0TY@Y\n"), std::string("0TY\x7FY\n"), std::string("0tyay\n"), std::string("1xyBz\n"),
          std::string(" 0TYAY\n"), std::string("0TYAY\n3HYEN\n"), std::string("0TYAY\n\n"),
          std::string("0TYAY window \n"), std::string("0TYAY  window\n"), std::string("0TYAY Window\n"),
          std::string("0TYAY\nwindow\n"), std::string("0TYAY\nJana\n"), std::string("0TYAY\nname Jana\nname Eva\n"),
          std::string("0TYAYwindow\n"), std::string("window 0TYAY\n"),
          pastTheTable + "TYAY window\n", std::string("0TYAY full\n"),
          std::string("\x00\xFF\x13\x80\x81\x0A", 6), std::string("0TYAY") + std::string(1 << 20, 'x')}) {
        put(junk);
        EXPECT_EQ(readBack(), "") << '"' << junk.substr(0, 20) << '"';
    }
    fs::remove(file);
    fs::create_directories(file);  // a folder in its place
    EXPECT_EQ(readBack(), "");
}

TEST_F(SavedFile, AnUnreadableFileGivesTheDefaults) {
    put("3HYEN\n");
    chmod(file.c_str(), 0);
    // Root reads any file: the reader then runs as an unprivileged user.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
        const SavedCode saved = readSavedCode(file);
        _exit(saved.found ? 1 : sameSettings(saved.choice.settings, defaultSettings()) ? 0 : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SavedFile, AWriterKilledBeforeTheRenameLeavesTheOldFileWhole) {
    put("3HYEN\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed the moment the new file is on the disk, before it replaces the old one.
        std::string error;
        writeSavedCode(file, "5TNQY", flushing([](const fs::path&) { return raise(SIGKILL) == 0; }), &error);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(content(), "3HYEN\n");
    EXPECT_EQ(readBack(), "3HYEN");
    EXPECT_EQ(leftBeside().size(), 1u) << "the killed writer's own temporary file";
    // The next write is not stopped by what the killed one left, and clears it.
    std::string error;
    ASSERT_TRUE(write(file, "1TYBN", &error)) << error;
    EXPECT_EQ(content(), "1TYBN\n");
    EXPECT_EQ(leftBeside(), std::vector<std::string>());
}

TEST_F(SavedFile, TwoDialogsSavingAtOnceBothSucceedAndLeaveOneWholeLine) {
    for (int attempt = 0; attempt < 30; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        pid_t writers[2];
        for (int w = 0; w < 2; ++w) {
            writers[w] = fork();
            ASSERT_GE(writers[w], 0);
            if (writers[w] == 0) {
                close(gate[1]);
                char go = 0;
                if (read(gate[0], &go, 1) != 0) _exit(3);
                std::string error;
                _exit(write(file, w == 0 ? "3HYEN window" : "5TNQY", &error) ? 0 : 1);
            }
        }
        close(gate[0]);
        close(gate[1]);
        for (pid_t w : writers) {
            int status = 0;
            waitpid(w, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
        }
        const std::string line = readBack();
        ASSERT_TRUE(line == "3HYEN window" || line == "5TNQY") << line;
        ASSERT_EQ(leftBeside(), std::vector<std::string>());
    }
}

TEST_F(SavedFile, AFailedWriteLeavesTheOldFileByteForByteAndSaysWhy) {
    put("3HYEN\r\n");
    // A full disk: no file may grow by a byte.
    EXPECT_EQ(exitCodeInChild([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit none{0, 0};
                  setrlimit(RLIMIT_FSIZE, &none);
                  std::string error;
                  const bool written = write(file, "5TNQY", &error);
                  if (written || error.find("cannot write") != 0 || error.find("File too large") == std::string::npos)
                      return 2;
                  expectCzechThroughAndThrough(error);
                  return ::testing::Test::HasFailure() ? 4 : 0;
              }),
              0);
    EXPECT_EQ(content(), "3HYEN\r\n");
    EXPECT_EQ(leftBeside(), std::vector<std::string>());

    // A folder the player cannot write: root's, and the setup run as nobody.
    EXPECT_EQ(exitCodeInChild([&] {
                  if (geteuid() == 0 && setuid(65534) != 0) return 3;
                  std::string error;
                  const bool written = write(file, "5TNQY", &error);
                  if (written || error.find("cannot write") != 0 || error.find("Permission denied") == std::string::npos)
                      return 2;
                  expectCzechThroughAndThrough(error);
                  return ::testing::Test::HasFailure() ? 4 : 0;
              }),
              0);
    EXPECT_EQ(content(), "3HYEN\r\n");
    EXPECT_EQ(leftBeside(), std::vector<std::string>());

    // A flush that fails: the old file stays too.
    std::string error;
    EXPECT_FALSE(writeSavedCode(file, "5TNQY", flushing([](const fs::path&) { return false; }), &error));
    EXPECT_EQ(content(), "3HYEN\r\n");
    EXPECT_NE(error.find("flush"), std::string::npos);
    expectCzechThroughAndThrough(error);

    // A folder where the setup's own folder should be.
    fs::remove_all(file.parent_path());
    std::ofstream(file.parent_path()) << "not a folder";
    EXPECT_FALSE(write(file, "5TNQY", &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    expectCzechThroughAndThrough(error);
    EXPECT_EQ(reasonIn(english(), error), error);
}

// --- The game's data folder ---------------------------------------------------

TEST(DataFolder, HoldsEveryFileTheGameReadsAndAnyNumberOfFoldersIsLookedAt) {
    char pattern[] = "/tmp/korvada-data.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path top = pattern, stray = top / "stray", whole = top / "whole", empty = top / "empty";
    for (const fs::path& folder : {stray, whole, empty}) fs::create_directories(folder);
    std::ofstream(stray / "air.bmp") << "a picture";
    for (const char* name : kGameDataFiles) std::ofstream(whole / name) << name;
    EXPECT_FALSE(holdsGameData(stray)) << "a stray picture is no data folder";
    EXPECT_TRUE(holdsGameData(whole));
    fs::remove(whole / kGameDataFiles[std::size(kGameDataFiles) - 1]);
    EXPECT_FALSE(holdsGameData(whole)) << "a sound missing";
    std::ofstream(whole / kGameDataFiles[std::size(kGameDataFiles) - 1]) << "back";

    fs::path found;
    std::string why;
    EXPECT_TRUE(findDataFolder({stray, empty, whole}, &found, &why));
    EXPECT_EQ(found, whole);
    EXPECT_FALSE(findDataFolder({}, &found, &why)) << "no folder to look at";
    EXPECT_EQ(why, "cannot find the game's data: cannot tell where the programs are");
    expectCzechThroughAndThrough(why);
    EXPECT_FALSE(findDataFolder({stray}, &found, &why));
    EXPECT_EQ(why, "cannot find the game's data: no folder of " + stray.string() + " holds all its pictures and sounds");
    EXPECT_FALSE(findDataFolder({stray, empty, top}, &found, &why));
    EXPECT_EQ(why, "cannot find the game's data: no folder of " + stray.string() + ", " + empty.string() + ", " +
                       top.string() + " holds all its pictures and sounds");
    expectCzechThroughAndThrough(why);
    fs::remove_all(top);
}

// --- Resolutions a screen offers ----------------------------------------------

TEST(OfferedRows, AreTheRowsWhoseExactSizeTheScreenLists) {
    const OfferedRows only1024 = offeredRows({{1024, 768}});
    EXPECT_EQ(only1024, (OfferedRows{false, false, false, true, false, false}));
    const OfferedRows typical = offeredRows({{1920, 1080}, {1280, 1024}, {1024, 768}, {800, 600}, {720, 400}});
    EXPECT_EQ(typical, (OfferedRows{true, false, true, true, false, true}));
    EXPECT_FALSE(anyOffered(offeredRows({{1920, 1080}, {600, 800}})));
    EXPECT_FALSE(anyOffered(offeredRows({})));
}

TEST(OfferedRows, ChooseWhatTheDialogOpensWith) {
    const auto start = [](const std::string& line, const ScreenRows& screen) {
        LaunchChoice saved;
        EXPECT_TRUE(parseLaunchCode(line.substr(0, 5), &saved.settings)) << line;
        saved.fullScreen = line.size() == 5;
        return savedLine(startingChoice(saved, screen));
    };
    const auto fullScreenAnd = [](std::vector<Resolution> modes, Resolution freeArea) {
        return ScreenRows{offeredRows(modes), fittingRows(freeArea)};
    };
    const ScreenRows all = fullScreenAnd({{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}},
                                         {1280, 1024});
    EXPECT_EQ(start("0TYAY", all), "0TYAY");
    // A row the screen lacks: the largest it has, the rest of the code kept.
    const ScreenRows small = fullScreenAnd({{640, 480}, {1024, 768}, {1152, 864}}, {1152, 864});
    EXPECT_EQ(start("0TYAY", small), "4TYAY");
    EXPECT_EQ(start("5HNQN", fullScreenAnd({{800, 600}, {1024, 768}}, {1024, 768})), "3HNQN");
    EXPECT_EQ(start("5HNQN", fullScreenAnd({{800, 600}}, {800, 600})), "0HNQN");
    EXPECT_EQ(start("1TYAY", fullScreenAnd({{640, 480}}, {640, 480})), "1TYAY");
    // A window keeps its row where it fits, whatever the modes.
    EXPECT_EQ(start("0TYAY window", all), "0TYAY window");
    EXPECT_EQ(start("5TYAY window", small), "4TYAY window");

    // A screen with none of the game's modes, 1920 × 1080 with a panel:
    // a window of the largest size that fits, also for a saved full screen.
    const ScreenRows wide = fullScreenAnd({{1920, 1080}, {1280, 720}}, {1920, 1040});
    EXPECT_EQ(wide.fullScreen, (OfferedRows{}));
    EXPECT_EQ(wide.window, (OfferedRows{true, true, true, true, true, true}));
    EXPECT_EQ(start("0TYAY", wide), "5TYAY window");
    EXPECT_EQ(start("3HNQN window", wide), "3HNQN window");
    // 1280 × 1024 needs all of its height: not on a laptop's 1366 × 768 less its panel.
    EXPECT_EQ(start("0TYAY", fullScreenAnd({{1366, 768}}, {1366, 740})), "0TYAY window");
    EXPECT_EQ(fittingRows({1366, 740}), (OfferedRows{true, true, true, false, false, false}));
    // No row fits in a window, but one switches: full screen.
    EXPECT_EQ(start("0TYAY window", fullScreenAnd({{640, 480}}, {600, 400})), "1TYAY");
    // Nothing allowed at all: nothing better to show.
    EXPECT_EQ(start("5HNQN", fullScreenAnd({}, {320, 200})), "5HNQN");
    EXPECT_EQ(start("5HNQN window", everyRow()), "5HNQN window");

    // A pad steps through the rows allowed, in the list's order, and stops at its ends.
    const OfferedRows some{true, false, true, true, false, false};
    EXPECT_EQ(steppedRow(some, 0, 1), 2);
    EXPECT_EQ(steppedRow(some, 3, 1), 3);
    EXPECT_EQ(steppedRow(some, 3, -1), 2);
    EXPECT_EQ(steppedRow(some, 0, -1), 0);
}

// --- The pad in the dialogs ---------------------------------------------------------

TEST(PadMenu, EachPressActsOnceAHeldDirectionRepeatsAndAReturnWaitsForAFreshPress) {
    PadMenu menu;
    PadState pads[2];
    const auto act = [&](uint32_t now) { return padMenuActions(menu, pads, 2, now); };
    EXPECT_EQ(act(0), 0u);
    pads[0].south = true;
    EXPECT_EQ(act(10), uint32_t{PadPlay});
    EXPECT_EQ(act(2000), 0u) << "a button held acts once";
    pads[1].start = true;
    pads[0].south = false;
    EXPECT_EQ(act(2010), 0u) << "Start on another pad while A was held: still one press";
    pads[1] = PadState();
    pads[1].back = true;
    EXPECT_EQ(act(2020), uint32_t{PadClose});
    pads[1] = PadState();
    pads[1].start = true;
    EXPECT_EQ(act(2030), uint32_t{PadPlay}) << "Start alone plays";
    pads[1] = PadState();

    // Up held: more bottles at once, again after the delay, then at the pace.
    pads[0].dpadUp = true;
    EXPECT_EQ(act(3000), uint32_t{PadMoreBottles});
    EXPECT_EQ(act(3000 + kPadRepeatDelayMs - 1), 0u);
    EXPECT_EQ(act(3000 + kPadRepeatDelayMs), uint32_t{PadMoreBottles});
    EXPECT_EQ(act(3000 + kPadRepeatDelayMs + kPadRepeatMs - 1), 0u);
    EXPECT_EQ(act(3000 + kPadRepeatDelayMs + kPadRepeatMs), uint32_t{PadMoreBottles});
    pads[0] = PadState();
    EXPECT_EQ(act(4000), 0u);
    // The stick past its dead zone is the d-pad; inside it, nothing.
    pads[0].stickX = kStickDeadZone * 0.9f;
    pads[0].stickY = kStickDeadZone * 0.9f;
    EXPECT_EQ(act(4100), 0u);
    pads[0].stickX = 1;
    EXPECT_EQ(act(4200), uint32_t{PadNextRow});
    pads[0].stickX = -1;
    pads[0].stickY = 1;
    EXPECT_EQ(act(4300), uint32_t{PadPreviousRow | PadFewerBottles});
    pads[0] = PadState();
    act(4400);

    // The dialog back after a round, A still held from the end screen: it
    // plays only once let go and pressed again; B held then closes nothing.
    pads[0].south = true;
    pads[1].east = true;
    padMenuShown(menu, pads, 2);
    EXPECT_EQ(act(5000), 0u);
    EXPECT_EQ(act(9000), 0u);
    pads[0].south = false;
    EXPECT_EQ(act(9010), 0u);
    pads[0].south = true;
    EXPECT_EQ(act(9020), uint32_t{PadPlay});
    // The clock wrapping round does not stop the repeat.
    menu = PadMenu();
    pads[0] = pads[1] = PadState();
    pads[0].dpadDown = true;
    EXPECT_EQ(act(0xFFFFFFF0u), uint32_t{PadFewerBottles});
    EXPECT_EQ(act(0xFFFFFFF0u + kPadRepeatDelayMs), uint32_t{PadFewerBottles});
}

// --- Texts ----------------------------------------------------------------------

TEST(SetupTexts, CzechForACzechLocaleEnglishOtherwise) {
    for (const char* name : {"cs", "cs_CZ", "cs_CZ.UTF-8", "cs_CZ.ISO-8859-2@euro", "cs-CZ", "cs:en_US", "CS_cz"})
        EXPECT_STREQ(languageOf(name).code, "cs") << name;
    for (const char* other : {"", "C", "C.UTF-8", "POSIX", "en_US.UTF-8", "de_DE", "sk_SK", "csb_PL", "en:cs"})
        EXPECT_STREQ(languageOf(other).code, "en") << other;
    for (int i = 0; i < kLanguageCount; ++i) EXPECT_EQ(&languageOf(kLanguages[i].code), &kLanguages[i]);
}

TEST(SetupTexts, EachLanguageHasItsTitleAndOneKeyPerMnemonic) {
    EXPECT_STREQ(czech().title, "Korvada – nastavení");
    EXPECT_STREQ(english().title, "Korvada – settings");
    for (int i = 0; i < kLanguageCount; ++i) {
        const SetupTexts& t = kLanguages[i].setup;
        std::set<std::string> keys;
        for (const char* text : {t.resolution, t.fullScreen, t.colourDepth, t.bits16, t.bits32, t.blending,
                                 t.bottles, t.sound, t.play, t.watchBest, t.close, t.name, t.todaysRound}) {
            const char* mark = std::strchr(text, '_');
            ASSERT_NE(mark, nullptr) << text;
            // The key is the letter after '_' (ASCII in every text here).
            const std::string key(1, static_cast<char>(std::tolower(static_cast<unsigned char>(mark[1]))));
            EXPECT_TRUE(keys.insert(key).second) << "two controls answer Alt+" << key << ": " << text;
        }
        // The page's lines and the game's notices, every one written: a
        // language's entry missing its last texts leaves them null.
        const auto allWritten = [](const auto& texts) {
            static_assert(sizeof texts % sizeof(const char*) == 0, "texts only");
            const char* const* text = reinterpret_cast<const char* const*>(&texts);
            for (std::size_t i = 0; i < sizeof texts / sizeof(const char*); ++i)
                if (text[i] == nullptr || *text[i] == '\0') return false;
            return true;
        };
        EXPECT_TRUE(allWritten(kLanguages[i].page)) << kLanguages[i].code;
        EXPECT_TRUE(allWritten(kLanguages[i].notices)) << kLanguages[i].code;
        // Every key and pad button that does something, in every language.
        for (const char* control : {"1–6", "Esc", "Enter", "A /", "B /", "Start", "Back", "LB / RB", "d-pad", "P ",
                                    "Pause", "M:", "F12", "Alt+Enter", "F11"})
            EXPECT_NE(std::strstr(t.controls, control), nullptr) << control << " missing in " << t.controls;
    }
    const SetupTexts& english = ::english();
    EXPECT_EQ(resolutionLabel(english, 0, true, true), "800 × 600 (default)");
    EXPECT_EQ(resolutionLabel(english, 5, false, false), "1280 × 1024 – this screen does not offer it");
    EXPECT_EQ(resolutionLabel(english, 0, false, true), "800 × 600 (default) – in a window only");
    EXPECT_EQ(resolutionLabel(czech(), 3, true, false), "1024 × 768");
    EXPECT_EQ(resolutionLabel(czech(), 3, false, true), "1024 × 768 – jen v okně");
    // Why a round failed, by its exit code; nothing after a normal end.
    EXPECT_EQ(gameEndLine(english, 0), "");
    EXPECT_NE(gameEndLine(english, 1), gameEndLine(english, 2));
    EXPECT_EQ(gameEndLine(english, 134), "The game failed with exit code 134.");
}

TEST(SetupTexts, TheBestCatchInEachLanguageWithItsPluralForm) {
    const SetupTexts& czech = ::czech();
    const SetupTexts& english = ::english();
    const std::pair<int, const char*> forms[] = {{0, "0 bublin"},   {1, "1 bublina"},  {2, "2 bubliny"},
                                                 {4, "4 bubliny"},  {5, "5 bublin"},   {12, "12 bublin"},
                                                 {22, "22 bublin"}, {23, "23 bublin"}, {30, "30 bublin"}};
    for (const auto& [count, text] : forms) EXPECT_EQ(bubblesText(czech, count), text);
    EXPECT_EQ(bubblesText(english, 1), "1 bubble");
    EXPECT_EQ(bubblesText(english, 0), "0 bubbles");
    EXPECT_EQ(bubblesText(english, 2), "2 bubbles");

    const BestCatch none, zero{true, 0, "2026-12-01", "", 0}, three{true, 3, "2026-12-02", "", 0}, nine{true, 9, "2026-12-13", "", 0};
    // With its day, as each language writes one.
    EXPECT_EQ(bestCatchLine(czech, nine), "Nejlepší: 9 bublin (13. 12. 2026)");
    EXPECT_EQ(bestCatchLine(english, nine), "Best: 9 bubbles (13 Dec 2026)");
    EXPECT_EQ(bestCatchLine(english, BestCatch{true, 1, "2024-02-29", "", 0}), "Best: 1 bubble (29 Feb 2024)");
    EXPECT_EQ(bestCatchLine(czech, BestCatch{true, 1, "2027-01-05", "", 0}), "Nejlepší: 1 bublina (5. 1. 2027)");
    EXPECT_EQ(bestCatchLine(english, BestCatch{true, 2, "", "", 0}), "Best: 2 bubbles");
    EXPECT_EQ(bestCatchLine(english, none), "Best: none kept yet");
    EXPECT_EQ(bestCatchLine(czech, none), "Nejlepší: zatím žádný záznam");
    EXPECT_EQ(newBestLine(czech, none, three), "Nový rekord: 3 bubliny!");
    EXPECT_EQ(newBestLine(english, three, nine), "New best: 9 bubbles!");
    EXPECT_EQ(newBestLine(english, none, zero), "") << "a first round that caught nothing is no news";
    EXPECT_EQ(newBestLine(english, zero, three), "New best: 3 bubbles!");
    EXPECT_EQ(newBestLine(english, nine, nine), "");
    // A watched round's title: whose, which day, what it caught; no name, no day, no part.
    EXPECT_EQ(watchedRoundTitle(languageOf("cs"), "Jana", "2026-12-09", 14),
              "Korvada – kolo hráče Jana, 9. 12. 2026, 14 bublin");
    EXPECT_EQ(watchedRoundTitle(languageOf("en"), "Jana", "2026-12-09", 14), "Korvada – Jana's round, 9 Dec 2026, 14 bubbles");
    EXPECT_EQ(watchedRoundTitle(languageOf("en"), "", "2026-12-09", 1), "Korvada – 9 Dec 2026, 1 bubble");
    EXPECT_EQ(watchedRoundTitle(languageOf("cs"), "Jana", "", 2), "Korvada – kolo hráče Jana, 2 bubliny");
    EXPECT_EQ(newBestLine(english, nine, none), "") << "the table lost meanwhile";

    // Once a round is over: its news, then what could not be written, each
    // with its reason; a failed game's exit code instead of news.
    EXPECT_EQ(roundEndLine(english, 0, three, nine, "", "").line, "New best: 9 bubbles!");
    EXPECT_FALSE(roundEndLine(english, 0, three, nine, "", "").trouble);
    EXPECT_EQ(roundEndLine(english, 0, nine, nine, "", "").line, "");
    const RoundEnd full = roundEndLine(english, 0, nine, nine, "cannot write x: No space left on device",
                                       "cannot write y: No space left on device");
    EXPECT_EQ(full.line, "The settings cannot be saved: cannot write x: No space left on device\n"
                         "The best catches cannot be kept: cannot write y: No space left on device");
    EXPECT_TRUE(full.trouble);
    EXPECT_EQ(roundEndLine(czech, 2, three, nine, "", "cannot create z").line,
              std::string(czech.notStarted) + "\nRekordy nelze uložit: nelze vytvořit z");
    EXPECT_TRUE(roundEndLine(english, 134, nine, nine, "", "").trouble);
}

// Today's round's best beside its button, and a typed name the rule
// refuses said in the dialog's language, Czech through and through.
TEST(SetupTexts, TodaysBestAndARefusedNameInEachLanguage) {
    const SetupTexts& czech = ::czech();
    const SetupTexts& english = ::english();
    EXPECT_EQ(todayLine(czech, BestCatch{true, 9, "2026-12-10", "Jana", 0}), "Dnes: 9 bublin");
    EXPECT_EQ(todayLine(czech, BestCatch{true, 3, "2026-12-10", "", 0}), "Dnes: 3 bubliny");
    EXPECT_EQ(todayLine(english, BestCatch{true, 1, "2026-12-10", "", 0}), "Today: 1 bubble");
    EXPECT_EQ(todayLine(english, BestCatch{true, 0, "2026-12-10", "", 0}), "Today: 0 bubbles");
    EXPECT_EQ(todayLine(english, BestCatch()), english.noToday);

    EXPECT_EQ(nameRefusal(czech, ""), "") << "an empty field is no name";
    EXPECT_EQ(nameRefusal(czech, "Jan Novák"), "");
    EXPECT_EQ(nameRefusal(english, "Jana"), "");
    const std::string refused[] = {" Jana", "Jana ", "Ja  na", "Ja<b>na", "\xCC\x81" "ana", "Ja\xFF" "na",
                                   "123456789012345678901", "Jana\nEva"};
    std::set<std::string> czechReasons;
    for (const std::string& name : refused) {
        std::string why;
        ASSERT_FALSE(checkPlayerName(name, &why)) << name;
        EXPECT_EQ(nameRefusal(english, name), english.badName + why);
        const std::string said = nameRefusal(czech, name);
        EXPECT_EQ(said.rfind(czech.badName, 0), 0u) << said;
        EXPECT_GT(said.size(), std::strlen(czech.badName)) << name;
        for (const char* word : {"name", "character", "space", "letter", "UTF-8 text", "only"})
            EXPECT_EQ(said.find(word), std::string::npos) << "English left in: " << said;
        czechReasons.insert(said);
    }
    EXPECT_GE(czechReasons.size(), 6u) << "each reason its own words";
}

// Save round: the row's recording copied byte for byte under the name
// offered, or refused with its reason in the language when it was damaged
// since, or the folder cannot take it.
TEST_F(SavedFile, ARowsRoundIsSavedAsAWholeCopyOrRefusedWithItsReason) {
    EXPECT_EQ(savedRoundName(BestCatch{true, 14, "2026-12-10", "Jana", 3}), "korvada-2026-12-10-14.kvr");
    EXPECT_EQ(savedRoundName(BestCatch{true, 0, "", "", 0}), "korvada-0.kvr");
    RoundRecording round;
    round.bottles = 4;
    round.bubbles = 30;
    round.frameSeconds = {0.02f, 0.02f};
    round.gameVersion = "1.2.0";
    round.name = "Jana";
    const std::string bytes = recordingBytes(round);
    put(bytes);
    const KeptRound kept{file, true, ""};
    const fs::path to = folder / "saved" / "korvada-2026-12-10-0.kvr";
    std::string error;
    ASSERT_TRUE(saveRoundCopy(kept, to, diskSteps(), &error)) << error;
    std::ifstream in(to, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
    EXPECT_EQ(savedRoundLine(english(), to, true, "").line, "The round is saved: " + to.string());

    std::string damaged = bytes;
    damaged.back() ^= 1;
    put(damaged);
    EXPECT_FALSE(saveRoundCopy(kept, folder / "other.kvr", diskSteps(), &error));
    EXPECT_FALSE(fs::exists(folder / "other.kvr")) << "a damaged round copied";
    const RoundEnd refused = savedRoundLine(czech(), folder / "other.kvr", false, error);
    EXPECT_TRUE(refused.trouble);
    EXPECT_NE(refused.line.find("Kolo nelze uložit: "), std::string::npos) << refused.line;
    EXPECT_NE(refused.line.find("záznam je poškozený"), std::string::npos) << refused.line;
    put(bytes);
    // A file where the folder should be: the write's own reason.
    EXPECT_FALSE(saveRoundCopy(kept, file / "x.kvr", diskSteps(), &error));
    EXPECT_NE(error.find("cannot"), std::string::npos) << error;
    fs::remove(file);
    EXPECT_FALSE(saveRoundCopy(kept, folder / "gone.kvr", diskSteps(), &error));
    EXPECT_EQ(savedRoundLine(czech(), folder / "gone.kvr", false, error).line,
              "Kolo nelze uložit: nelze přečíst " + file.string());
}

TEST(SetupTexts, AReasonIsWordedInTheLanguageAndStaysAsItIsInEnglish) {
    // The reader's refusals, as the dialogs meet them: the file named, why
    // in a few words (the details stay on stderr).
    RoundRecording round;
    round.bottles = 4;
    round.bubbles = 30;
    round.frameSeconds = {0.02f};
    const std::string bytes = recordingBytes(round);
    std::string newer = bytes, damaged = bytes;
    newer[8] = 99;
    damaged.back() ^= 1;
    const std::pair<std::string, const char*> refusals[] = {
        {"not a recording", "není to záznam kola hry Korvada"},
        {bytes.substr(0, 20), "záznam je poškozený"},
        {newer, "záznam jiné verze, než jakou tato hra přehrává"},
        {damaged, "záznam je poškozený"},
    };
    for (const auto& [file, czechWords] : refusals) {
        RoundRecording read;
        std::string trouble;
        ASSERT_FALSE(readRecording(file, &read, &trouble));
        trouble = "/home/jan/.local/share/korvada/best-round-4.kvr: " + trouble;
        EXPECT_EQ(reasonIn(czech(), trouble), std::string("/home/jan/.local/share/korvada/best-round-4.kvr: ") + czechWords)
            << trouble;
        EXPECT_EQ(reasonIn(english(), trouble), trouble);
    }
    EXPECT_EQ(reasonIn(czech(), "/x/best-round-4.kvr: no such file"), "/x/best-round-4.kvr: soubor neexistuje");
    // The setup's own, and the system's words for what failed.
    for (const std::string reason :
         {"cannot find the game's data: no folder of /usr/share/games/korvada, /usr/games/data holds all its pictures "
          "and sounds",
          "cannot find the game: /opt/k/korvada is missing or not executable",
          "cannot lock /home/jan/.config/korvada: another program holds it",
          "cannot write /home/jan/.config/korvada/launch-code.77.tmp: No space left on device",
          "cannot create /home/jan/.config/korvada: Read-only file system",
          "C:\\Users\\Jan\\AppData\\Roaming\\Korvada\\launch-code.txt is read-only",
          "cannot write C:\\Users\\Jan\\launch-code.txt.9.tmp: There is not enough space on the disk",
          "C:\\Program Files\\Korvada\\korvada.exe: The system cannot find the file specified."})
        expectCzechThroughAndThrough(reason);
    EXPECT_EQ(reasonIn(czech(), "cannot write /k/launch-code.7.tmp: No space left on device"),
              "nelze zapsat /k/launch-code.7.tmp: na disku není místo");
    EXPECT_EQ(roundEndLine(czech(), 0, {}, {}, "cannot create /k: Read-only file system", "").line,
              "Nastavení nelze uložit: nelze vytvořit /k: systém souborů je jen pro čtení");
}

}  // namespace
