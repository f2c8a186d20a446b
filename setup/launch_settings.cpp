#include "setup/launch_settings.h"

#include <algorithm>

#include "core/player_name.h"
#include "setup/board_client.h"

std::string encodeLaunchCode(const GameSettings& s) {
    // 'A' + 62 is the last character that stays positive as a signed byte.
    const bool carried = s.resolutionIndex >= 0 && s.resolutionIndex < kResolutionCount &&
                         (s.colorCode == 'H' || s.colorCode == 'T') && (s.blending == 0 || s.blending == 1) &&
                         s.bottleCount >= 0 && s.bottleCount <= 127 - 'A' && (s.sound == 0 || s.sound == 1);
    if (!carried) return "";
    std::string code(5, ' ');
    code[0] = static_cast<char>('0' + s.resolutionIndex);
    code[1] = static_cast<char>(s.colorCode);
    code[2] = s.blending ? 'Y' : 'N';
    code[3] = static_cast<char>('A' + s.bottleCount);
    code[4] = s.sound ? 'Y' : 'N';
    return code;
}

GameSettings defaultSettings() {
    GameSettings settings;
    parseLaunchCode(kDefaultLaunchCode, &settings);
    return settings;
}

void chooseBottles(GameSettings* settings, int bottles) {
    bottles = std::clamp(bottles, kFewestBottles, kMostBottles);
    settings->bottleCount = bottles == kDefaultBottleCount ? 0 : bottles;
}

// --- The saved choice -------------------------------------------------------

namespace {
// Longer than anything the setup writes (the code's line and the longest
// name's line, "name " and the name, the board's origin and the secret, with
// Windows line ends); a file past it is not ours.
constexpr std::size_t kLongestSavedFile = 16 + 5 + kLongestPlayerNameBytes + 2 + 512 + 64;
constexpr const char* kWindowMark = " window";
constexpr const char* kNameMark = "name ";
constexpr const char* kBoardMark = "board ";
constexpr const char* kSecretMark = "secret ";

// The line alone: the line end the setup writes, or a Windows editor's.
std::string withoutLineEnd(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}
}  // namespace

std::vector<std::string> gameArguments(const LaunchChoice& choice, const std::filesystem::path& watch,
                                       RoundKind kind) {
    std::vector<std::string> arguments;
    if (!watch.empty()) arguments = {kWatchOption, watch.u8string()};
    if (watch.empty() && kind == DailyRound) arguments.push_back(kDailyOption);
    if (watch.empty() && !choice.name.empty()) arguments.insert(arguments.end(), {kNameOption, choice.name});
    if (watch.empty() && kind == DailyRound && !choice.ticket.empty())
        arguments.insert(arguments.end(), {kTicketOption, choice.ticket});
    if (!choice.fullScreen) arguments.push_back(kWindowOption);
    arguments.push_back(encodeLaunchCode(choice.settings));
    return arguments;
}

std::string windowsArguments(const std::vector<std::string>& arguments) {
    std::string tail;
    for (const std::string& argument : arguments) {
        const bool quoted = argument.find_first_of(" \t") != std::string::npos;
        tail += quoted ? " \"" + argument + "\"" : " " + argument;
    }
    return tail;
}

namespace {
std::string codeLine(const LaunchChoice& choice) {
    return encodeLaunchCode(choice.settings) + (choice.fullScreen ? "" : kWindowMark);
}
}  // namespace

std::string savedLine(const LaunchChoice& choice) {
    std::string text = codeLine(choice);
    const std::pair<const char*, const std::string*> lines[] = {
        {kNameMark, &choice.name}, {kBoardMark, &choice.board}, {kSecretMark, &choice.secret}};
    for (const auto& [mark, value] : lines)
        if (!value->empty()) text += "\n" + std::string(mark) + *value;
    return text;
}

namespace {
// The lines after the code's, by their marks; false for any other line, or
// one mark twice: not a file the setup wrote.
bool readMarkedLines(const std::string& text, std::string* name, std::string* board, std::string* secret) {
    std::pair<const char*, std::string*> marks[] = {{kNameMark, name}, {kBoardMark, board}, {kSecretMark, secret}};
    bool seen[3] = {};
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string line = withoutLineEnd(text.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at));
        at = end == std::string::npos ? text.size() : end + 1;
        int which = -1;
        for (int i = 0; i < 3; ++i)
            if (line.compare(0, std::char_traits<char>::length(marks[i].first), marks[i].first) == 0) which = i;
        if (which < 0 || seen[which]) return false;
        seen[which] = true;
        *marks[which].second = line.substr(std::char_traits<char>::length(marks[which].first));
    }
    return true;
}
}  // namespace

SavedCode readSavedCode(const std::filesystem::path& file) {
    SavedCode saved;
    saved.choice.settings = defaultSettings();
    std::string text;
    if (readSmallFile(file, kLongestSavedFile, &text) != SmallFile::Read) return saved;
    const std::size_t lineEnd = text.find('\n');
    const std::string line = withoutLineEnd(text.substr(0, lineEnd == std::string::npos ? text.size() : lineEnd + 1));
    std::string name, board, secret;
    if (lineEnd != std::string::npos && !readMarkedLines(text.substr(lineEnd + 1), &name, &board, &secret))
        return saved;

    // Only what the dialog itself would write: a code the game takes, in the
    // letters the setup uses, with a bottle count the dialog offers.
    LaunchChoice choice;
    const std::string code = line.substr(0, 5);
    if (!parseLaunchCode(code, &choice.settings) || bottlesToLay(choice.settings) > kMostBottles) return saved;
    choice.fullScreen = line.size() == code.size();
    if (codeLine(choice) != line) return saved;
    std::string why;
    if (checkPlayerName(name, &why)) choice.name = name;
    // Kept only as the dialog keeps it: an origin already, which reads back as itself.
    std::string origin;
    if (readBoardAddress(board, &origin, &why) && origin == board) choice.board = board;
    if (wellFormedBoardSecret(secret)) choice.secret = secret;
    saved.choice = choice;
    saved.found = true;
    return saved;
}

bool writeSavedCode(const std::filesystem::path& file, const std::string& line, const DiskSteps& disk,
                    std::string* error) {
    return replaceFile(file, line + '\n', disk, error);
}

// --- Resolutions a screen offers ----------------------------------------------

OfferedRows offeredRows(const std::vector<Resolution>& screenModes) {
    OfferedRows offered{};
    for (int row = 0; row < kResolutionCount; ++row)
        for (const Resolution& mode : screenModes)
            if (mode.width == resolutionTable[row].width && mode.height == resolutionTable[row].height)
                offered[row] = true;
    return offered;
}

OfferedRows fittingRows(Resolution freeArea) {
    OfferedRows fits{};
    for (int row = 0; row < kResolutionCount; ++row)
        fits[row] = resolutionTable[row].width <= freeArea.width && resolutionTable[row].height <= freeArea.height;
    return fits;
}

bool anyOffered(const OfferedRows& offered) {
    return std::find(offered.begin(), offered.end(), true) != offered.end();
}

ScreenRows everyRow() {
    ScreenRows every;
    every.fullScreen.fill(true);
    every.window.fill(true);
    return every;
}

const OfferedRows& rowsFor(const ScreenRows& screen, bool fullScreen) {
    return fullScreen ? screen.fullScreen : screen.window;
}

int largestRow(const OfferedRows& rows) {
    const auto area = [](int row) { return resolutionTable[row].width * resolutionTable[row].height; };
    int largest = -1;
    for (int row = 0; row < kResolutionCount; ++row)
        if (rows[row] && (largest < 0 || area(row) > area(largest))) largest = row;
    return largest;
}

int steppedRow(const OfferedRows& rows, int row, int step) {
    for (int next = row + step; next >= 0 && next < kResolutionCount; next += step)
        if (rows[next]) return next;
    return row;
}

LaunchChoice startingChoice(LaunchChoice saved, const ScreenRows& screen) {
    if (saved.fullScreen && !anyOffered(screen.fullScreen) && anyOffered(screen.window)) {
        saved.fullScreen = false;
        saved.settings.resolutionIndex = largestRow(screen.window);
        return saved;
    }
    if (!saved.fullScreen && !anyOffered(screen.window)) saved.fullScreen = true;
    const OfferedRows& rows = rowsFor(screen, saved.fullScreen);
    if (!rows[saved.settings.resolutionIndex] && anyOffered(rows))
        saved.settings.resolutionIndex = largestRow(rows);
    return saved;
}
