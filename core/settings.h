#pragma once
// The launch code: five characters on the command line, written by the
// setup program, are the game's whole configuration.
//
//   0  display resolution   '0'..'5', a row of resolutionTable
//   1  colour depth         'H' = 16-bit colour, anything else 32-bit
//   2  blending             'N' = off, anything else on
//   3  bottles              'A' + count, 'A' itself meaning the default of 4
//   4  sound                'N' = off, anything else on

#include <cstdint>
#include <string>

struct PlatformServices;

struct GameSettings {
    int32_t resolutionIndex = 0;
    int32_t colorCode = 0;  // 'H' (72) or 'T' (84)
    int32_t blending = 0;
    int32_t bottleCount = 0;  // 0 means the default of 4
    int32_t sound = 0;
};

struct Resolution {
    int32_t width;
    int32_t height;
};

constexpr int kResolutionCount = 6;
constexpr Resolution resolutionTable[kResolutionCount] = {
    {800, 600}, {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024},
};

constexpr int kDefaultBottleCount = 4;
constexpr int kMaxBottles = 64;
constexpr int kMaxBubbles = 128;
constexpr int kRoundBubbles = 30;

extern const char* const kBadLaunchCodeMessage;

// Decodes the tail into *settings. A tail that is not exactly five
// characters, or whose values fall outside the resolution or bottle tables,
// shows kBadLaunchCodeMessage through the platform and returns 0; the caller
// then exits with code 1. Returns 1 on success.
int decodeLaunchCode(const PlatformServices& platform, const std::string& tail, GameSettings* settings);

// The same decode without telling anyone: returns 0 for a code the game
// refuses, and leaves *settings alone then (core/launch_code.cpp, which needs
// no platform, so that the setup program can check codes too).
int parseLaunchCode(const std::string& tail, GameSettings* settings);

// The number of bottles a round is laid out with, which the setup's dialog
// shows too (core/launch_code.cpp, with the decode the setup shares).
int32_t bottlesToLay(const GameSettings& settings);

Resolution resolutionOf(const GameSettings& settings);

// The launch code as Windows hands it over: the command line after the
// program's name (quoted or not) and after the characters 1..32 that follow
// it. Trailing blanks stay.
std::string windowsCommandTail(const char* commandLine);

// The launch code on Linux: the arguments joined by single spaces.
std::string joinArguments(int argc, const char* const* argv);

// "--window CODE" asks for the game in a window of the code's size instead of
// full screen. When the tail begins with the option and a blank, removes both
// and the blanks after them (as after the program's name) and returns true;
// otherwise leaves the tail alone. The option is no launch code: no code has
// more than five characters.
constexpr const char* kWindowOption = "--window";
bool takeWindowOption(std::string* tail);

// "--watch FILE CODE" plays the recorded round in FILE back (core/recording.h)
// instead of a new round, seen with the code's settings. The Windows tail
// quotes a FILE with blanks in double quotes, as Windows quotes an argument.
// When the tail begins with the option and a blank, removes the option, the
// file and the blanks after them, puts the file in *file (empty when none
// follows) and returns true; otherwise leaves the tail alone. Either
// option may come first.
constexpr const char* kWatchOption = "--watch";
bool takeWatchOption(std::string* tail, std::string* file);

// "--daily CODE" plays today's round (core/daily_round.h) with the code's
// resolution, depth, blending and sound; "--name NAME" and "--ticket T"
// are the player's name and a board's ticket, written into the round's
// recording. A NAME with blanks is quoted as --watch's FILE is.
constexpr const char* kDailyOption = "--daily";
constexpr const char* kNameOption = "--name";
constexpr const char* kTicketOption = "--ticket";

// When the tail begins with `option` and a blank, removes the option, its
// value (quoted as --watch's FILE may be) and the blanks after them, puts
// the value in *value (empty when none follows) and returns true;
// otherwise leaves the tail alone.
bool takeValueOption(std::string* tail, const char* option, std::string* value);

// The options, in any order, taken from the front of the tail: what is
// left is the launch code.
struct LaunchOptions {
    bool window = false;
    bool watch = false;
    std::string watchFile;  // empty when --watch named none
    bool daily = false;
    std::string name;       // empty when --name named none
    std::string ticket;
};
LaunchOptions takeLaunchOptions(std::string* tail);

// "korvada FILE": a desktop opens a round with its file alone (a double
// click, xdg-open, Explorer's "%1"). When what is left of the tail is no
// launch code but a file's name, in double quotes (as Windows quotes a path
// with blanks) or not, that ends in ".kvr" or names a file (a desktop knows
// a round by its first bytes too), moves it to options->watchFile, asks for
// watching and empties the tail, which the shell fills with the launch code
// the player last chose; otherwise leaves both alone.
bool takeBareRoundFile(std::string* tail, LaunchOptions* options);
