// KorvadaSetup.exe: the settings dialog that starts the game on Windows.
// Play saves the choice in %APPDATA%\Korvada\launch-code.txt and starts
// korvada.exe CODE (or korvada.exe --window CODE) from this program's own
// folder, which holds the game's files; the dialog hides while the game runs
// and comes back when it ends, saying when the round set a new best (or why
// the choice or the best catches could not be written). Beside the number of
// bottles it shows the best catch for that many and its day (the game's
// table, %APPDATA%\Korvada\best-catches.txt); Watch best, offered while the
// best round for that many is kept beside it, starts korvada.exe --watch
// FILE CODE, or says on the dialog's line why the recording cannot be
// played. XInput pads work it too (setup/pad_menu.h). With a board's
// address it asks the board for a ticket before Today's round, sends the
// rounds the game leaves waiting (setup/waiting_rounds.h) while the game
// runs and when it ends, and shows the board's day, whose Watch downloads a
// round and plays it; every exchange runs on a thread of its own
// (board_winhttp.h), so the dialog never waits on the network. Exit code 0
// after Close, or 2 when there is no game to start.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>

#include "core/daily_round.h"

#include "board_winhttp.h"
#include "korvada_version.h"
#include "setup/best_round.h"
#include "setup/board_client.h"
#include "setup/board_texts.h"
#include "setup/launch_settings.h"
#include "setup/pad_menu.h"
#include "setup/setup_texts.h"
#include "setup/waiting_rounds.h"
#include "setup_resources.h"
#include "win32/display_modes.h"
#include "win32/utf16.h"
#include "win32/win32_places.h"
#include "win32/xinput_library.h"

namespace fs = std::filesystem;

namespace {
constexpr int kExitCannotStart = 2;
// Sent by the wait on the game's process when it has ended.
constexpr UINT kGameEnded = WM_APP + 1;
// Posted by a board's exchange when it is over (board_winhttp.h).
constexpr UINT kBoardAnswered = WM_APP + 2;
// The pads are read on this timer, often enough that no tap is missed.
constexpr UINT_PTR kPadTimer = 1;
constexpr UINT kPadReadEveryMs = 16;
// While a game runs, what it leaves waiting is sent on this timer: the
// board's clock rule counts the time until a round arrives.
constexpr UINT_PTR kSendTimer = 2;
constexpr UINT kSendEveryMs = 1000;
// The dialog's line is at least as tall as the resource makes it: three lines.
constexpr int kLineDialogUnits = 24;

struct Setup {
    const SetupTexts* texts;
    ScreenRows screen;
    LaunchChoice choice;
    fs::path folder;    // the game's, this program's own
    fs::path saved;     // the saved choice
    HANDLE game = nullptr;  // the running round's process
    HANDLE wait = nullptr;  // the wait for its end
    FileChange catchesFile{};  // the game's table of best catches
    BestCatches catches{};
    BestCatch beforeRound{};  // the best for the round's bottles (or the day's) as it started
    RoundKind kind = FreeRound;  // the last round's
    std::string notSaved{};   // why Play could not save the choice, or ""
    XInputReader pads{};
    PadMenu menu{};
    bool messageOpen = false;  // a message box waits: the pads leave the dialog alone
    std::string line{};        // the dialog's line as it was last said

    // The board: off until the player gives its address.
    const BoardClientTexts* board = nullptr;
    WaitingFolder waitingPlace{};
    RoundSending sending{};
    unsigned generation = 0;   // counts the boards talked to: an earlier one's answers are dropped
    bool exchanging = false;   // a round's answer is awaited
    bool busy = false;         // a ticket or a round to watch is coming: nothing else starts
    std::string dayAsked{};    // the day whose list was asked for, "2026-12-10"
    ShownDay day{};            // the board's day as last read
    HWND lists = nullptr;      // tabs over the list, with a board: the ten best or the board's day
    RECT firstRow{};           // the list's first line as the resource lays it
    fs::path downloaded{};     // a watched round of the board's, gone when its game ends
    std::string boardSaid{};   // said while the dialog was away, for its return
};

std::wstring wide(const std::string& utf8) { return utf16FromUtf8(utf8.c_str()); }

std::string narrow(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

// The shared texts mark mnemonics with '_'; Windows marks them with '&'.
std::wstring dialogText(const std::string& utf8) {
    std::wstring text;
    for (wchar_t c : wide(utf8)) {
        if (c == L'&') text += L"&&";
        else text += c == L'_' ? L'&' : c;
    }
    return text;
}

fs::path programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) return fs::path(path.substr(0, length)).parent_path();
        path.resize(path.size() * 2);
    }
}

fs::path savedCodeFile() {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData);
    return fs::path(appData) / L"Korvada" / L"launch-code.txt";
}

std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text != nullptr ? narrow(text) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message;
}

// The rows the game's switch will accept: the same request it makes (its
// size at the desktop's registry bit depth, nothing else), only tested; and
// the rows whose window, with its frame, fits in the desktop's work area.
ScreenRows screenRows() {
    ScreenRows screen = everyRow();
    DEVMODEA desktop{};
    if (!readRegistryDesktopMode(&desktop)) return screen;
    std::vector<Resolution> accepted;
    for (const Resolution& size : resolutionTable) {
        DEVMODEA mode = gameModeFor(desktop, size.width, size.height);
        if (ChangeDisplaySettingsA(&mode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL) accepted.push_back(size);
    }
    screen.fullScreen = offeredRows(accepted);
    // The game's window takes its size in the desktop's units (twice the
    // pixels at 200 %): the free area counts in the same units.
    RECT work{}, frame{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0)) {
        const int dpi = static_cast<int>(GetDpiForSystem());
        const int freeWidth = (work.right - work.left) - (frame.right - frame.left);
        const int freeHeight = (work.bottom - work.top) - (frame.bottom - frame.top);
        screen.window = fittingRows({MulDiv(freeWidth, USER_DEFAULT_SCREEN_DPI, dpi),
                                     MulDiv(freeHeight, USER_DEFAULT_SCREEN_DPI, dpi)});
    }
    return screen;
}

// Where a control lies on the dialog's surface, in pixels.
RECT placeOf(HWND dialog, HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// One radio button for each row of the game's resolution table, made like
// the resource's first one under one another: a row added to the table shows
// here with no other change. Everything below the first row moves down to
// make room, and the dialog grows by as much, staying centred. Each new row
// follows the one above it in the tab and arrow order.
void addResolutionRows(HWND dialog) {
    constexpr int kRowPitchDialogUnits = 12;
    HWND first = GetDlgItem(dialog, IDC_ROW0);
    const RECT firstPlace = placeOf(dialog, first);
    RECT pitch{0, 0, 0, kRowPitchDialogUnits};
    MapDialogRect(dialog, &pitch);
    const int room = pitch.bottom * (kResolutionCount - 1);
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        const RECT place = placeOf(dialog, control);
        const int id = GetDlgCtrlID(control);
        const bool listed = id >= IDC_TEN_ROW0 && id < IDC_TEN_SAVE0 + kKeptRounds;  // beside the rows, not under them
        if (place.top >= firstPlace.bottom && !listed)
            SetWindowPos(control, nullptr, place.left, place.top + room, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    HWND above = first;
    for (int row = 1; row < kResolutionCount; ++row) {
        HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, firstPlace.left,
                                      firstPlace.top + row * pitch.bottom, firstPlace.right - firstPlace.left,
                                      firstPlace.bottom - firstPlace.top, dialog,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ROW0 + row)),
                                      GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(button, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = button;
    }
    RECT frame{};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, frame.left, frame.top - room / 2, frame.right - frame.left,
                 frame.bottom - frame.top + room, SWP_NOZORDER | SWP_NOACTIVATE);
}

constexpr int kLastRow = IDC_ROW0 + kResolutionCount - 1;

void setText(HWND dialog, int control, const std::string& text) {
    SetDlgItemTextW(dialog, control, dialogText(text).c_str());
}

// A text broken into lines that fit `width` in the context's font: at a
// blank where there is one, else after a path's separator, else between any
// two letters (a static control would cut off a word longer than its line).
std::wstring wrapped(HDC context, const std::wstring& text, int width) {
    std::wstring lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring rest = text.substr(start, end - start);
        while (!rest.empty()) {
            int fit = 0;
            SIZE size{};
            GetTextExtentExPointW(context, rest.c_str(), static_cast<int>(rest.size()), width, &fit, nullptr, &size);
            if (static_cast<size_t>(fit) >= rest.size()) break;
            size_t cut = rest.find_last_of(L' ', static_cast<size_t>(fit));
            if (cut == std::wstring::npos || cut == 0) cut = rest.find_last_of(L"\\/-", static_cast<size_t>(fit) - 1);
            cut = cut == std::wstring::npos || cut == 0 ? std::max(fit, 1) : cut + 1;
            // Without the blank it broke at: past the width, the control
            // would measure it and break the line's last word once more.
            std::wstring line = rest.substr(0, cut);
            line.erase(line.find_last_not_of(L' ') + 1);
            lines += line + L"\r\n";
            const size_t next = rest.find_first_not_of(L' ', cut);
            rest.erase(0, next == std::wstring::npos ? rest.size() : next);
        }
        lines += rest + (end < text.size() ? L"\r\n" : L"");
        start = end + 1;
    }
    return lines;
}

// The line under the controls, its text broken into lines at its width and
// as tall as they are: what is below it moves down by as much as it grows,
// and the dialog grows with it, never past the screen's free area; its
// width stays.
void showLine(HWND dialog, const std::string& text) {
    HWND line = GetDlgItem(dialog, IDC_ROUND_END);
    const RECT place = placeOf(dialog, line);
    TEXTMETRICW metrics{};
    HDC context = GetDC(line);
    const HGDIOBJ font = SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0)));
    GetTextMetricsW(context, &metrics);
    const std::wstring shown = text.empty() ? std::wstring() : wrapped(context, wide(text), place.right - place.left);
    SelectObject(context, font);
    ReleaseDC(line, context);
    SetWindowTextW(line, shown.c_str());
    LONG lines = shown.empty() ? 0 : 1;
    for (wchar_t c : shown) lines += c == L'\n' ? 1 : 0;
    RECT lowest{0, 0, 0, kLineDialogUnits};
    MapDialogRect(dialog, &lowest);
    RECT frame{}, work{};
    GetWindowRect(dialog, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG most = (place.bottom - place.top) + (work.bottom - work.top) - (frame.bottom - frame.top);
    // A few pixels to spare under a line grown past the resource's three, as
    // the resource leaves under them.
    const LONG grown = std::min(std::max(lines * metrics.tmHeight + metrics.tmHeight / 4, lowest.bottom), most) -
                       (place.bottom - place.top);
    if (grown == 0) return;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        const RECT at = placeOf(dialog, control);
        if (at.top >= place.bottom)
            SetWindowPos(control, nullptr, at.left, at.top + grown, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(line, nullptr, 0, 0, place.right - place.left, place.bottom - place.top + grown,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const LONG top = std::max(work.top, std::min(frame.top, work.bottom - (frame.bottom - frame.top + grown)));
    SetWindowPos(dialog, nullptr, frame.left, top, frame.right - frame.left, frame.bottom - frame.top + grown,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog, nullptr, TRUE);
}

// Says `text` on the line, in place of what it said.
void say(HWND dialog, Setup& setup, const std::string& text) {
    setup.line = text;
    showLine(dialog, text);
}

bool fullScreenChecked(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_FULL_SCREEN) == BST_CHECKED; }

int chosenBottles(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_BOTTLES_SPIN, UDM_GETPOS32, 0, 0));
}

KeptRound bestRound(HWND dialog, const Setup& setup) {
    const int bottles = std::clamp(chosenBottles(dialog), kFewestBottles, kMostBottles);
    return keptRound(setup.catchesFile.file, bottles, setup.catches[bottles].round);
}

// A Watch best no longer offered hands the focus to Play: a disabled button
// would keep it from every key, Esc and Enter too.
void offerWatch(HWND dialog, const Setup& setup) {
    HWND watch = GetDlgItem(dialog, IDC_WATCH);
    const bool offered = offersWatch(bestRound(dialog, setup), IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE);
    if (!offered && GetFocus() == watch)
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
    EnableWindow(watch, offered);
}

// The rows the full-screen choice allows; a chosen row it does not allow
// gives way to the largest it does. Play only with a row to play.
void allowRows(HWND dialog, const Setup& setup) {
    const OfferedRows& allowed = rowsFor(setup.screen, fullScreenChecked(dialog));
    int chosen = -1;
    for (int row = 0; row < kResolutionCount; ++row) {
        EnableWindow(GetDlgItem(dialog, IDC_ROW0 + row), allowed[row]);
        if (IsDlgButtonChecked(dialog, IDC_ROW0 + row) == BST_CHECKED) chosen = row;
    }
    if ((chosen < 0 || !allowed[chosen]) && anyOffered(allowed))
        CheckRadioButton(dialog, IDC_ROW0, kLastRow, IDC_ROW0 + largestRow(allowed));
    EnableWindow(GetDlgItem(dialog, IDOK), anyOffered(allowed));
    offerWatch(dialog, setup);
}

// The table as it is on the disk now; a file that is no table is said, and
// the game replaces it at its next record.
void readCatches(Setup& setup) {
    const StoredCatches stored = readStoredCatches(catchStoreIn(&setup.catchesFile));
    if (!stored.trouble.empty()) std::fprintf(stderr, "KorvadaSetup: %s\n", stored.trouble.c_str());
    setup.catches = stored.table;
}

// --- The ten best ----------------------------------------------------------

// A line and a Watch for each row kept for the bottles chosen, the best
// first; the lines past them empty and their Watch hidden. A Watch is
// offered only for a round the game would play, as Watch best is.
void showBestTen(HWND dialog, const Setup& setup);
void showBoardDay(HWND dialog, const Setup& setup);

bool boardOn(const Setup& setup) { return !setup.sending.origin.empty(); }

// Which of the two the list shows: the board's day is the second tab.
bool boardDayShown(const Setup& setup) { return boardOn(setup) && TabCtrl_GetCurSel(setup.lists) == 1; }

// A list's line: its first stretched over the three below it for a
// sentence in place of rows, each hidden while it says nothing (an empty
// line would paint over the stretched one).
void showListLine(HWND dialog, const Setup& setup, int place, const std::string& text, bool sentence) {
    HWND line = GetDlgItem(dialog, IDC_TEN_ROW0 + place);
    if (place == 0) {
        const RECT& at = setup.firstRow;
        const RECT save = placeOf(dialog, GetDlgItem(dialog, IDC_TEN_SAVE0));
        const int width = sentence ? save.right - at.left : at.right - at.left;
        const int height = (at.bottom - at.top) * (sentence ? 3 : 1);
        SetWindowPos(line, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowTextW(line, wide(text).c_str());
    ShowWindow(line, text.empty() ? SW_HIDE : SW_SHOWNA);
}

// A button the list hides or turns off hands the focus to Play first.
void offerListButton(HWND dialog, int control, bool shown, bool enabled) {
    HWND button = GetDlgItem(dialog, control);
    if ((!shown || !enabled) && GetFocus() == button) SetFocus(GetDlgItem(dialog, IDOK));
    EnableWindow(button, enabled);
    ShowWindow(button, shown ? SW_SHOWNA : SW_HIDE);
}

void showList(HWND dialog, const Setup& setup) {
    if (boardDayShown(setup)) showBoardDay(dialog, setup);
    else showBestTen(dialog, setup);
}

void showBestTen(HWND dialog, const Setup& setup) {
    const int bottles = std::clamp(chosenBottles(dialog), kFewestBottles, kMostBottles);
    const std::vector<BestCatch>& rows = setup.catches.rows[bottles];
    const bool playOffered = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
    for (int place = 0; place < kKeptRounds; ++place) {
        std::string line = place == 0 && rows.empty() ? setup.texts->noRounds : "";
        const bool listed = place < static_cast<int>(rows.size());
        bool offered = false;
        if (listed) {
            const BestTenRow row = bestTenRow(*setup.texts, rows[place], place);
            // The name on a line of its own: twenty letters fit beside no Watch.
            line = row.place + "  " + row.bubbles + "  " + row.day + "\r\n" + row.name;
            offered = offersWatch(keptRound(setup.catchesFile.file, bottles, rows[place].round), playOffered);
        }
        offerListButton(dialog, IDC_TEN_WATCH0 + place, listed, offered);
        // A row without a recording the game would play has nothing to save.
        const bool saved = listed && keptRound(setup.catchesFile.file, bottles, rows[place].round).playable;
        offerListButton(dialog, IDC_TEN_SAVE0 + place, saved, true);
        showListLine(dialog, setup, place, line, false);
    }
}

// The board's day in the list's rows: its place, bubbles and name, and a
// Watch; or the sentence in their place (nobody yet, or why not).
void showBoardDay(HWND dialog, const Setup& setup) {
    const std::vector<ShownRow>& rows = setup.day.rows;
    const bool playOffered = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
    for (int place = 0; place < kKeptRounds; ++place) {
        const bool listed = place < static_cast<int>(rows.size());
        std::string line = place == 0 && !listed ? setup.day.line : "";
        if (listed) line = std::to_string(rows[place].place) + ".  " + rows[place].bubbles + "\r\n" + rows[place].name;
        offerListButton(dialog, IDC_TEN_WATCH0 + place, listed, playOffered && !setup.busy);
        offerListButton(dialog, IDC_TEN_SAVE0 + place, false, false);
        showListLine(dialog, setup, place, line, !listed);
    }
}

// Today is the UTC day, as the game counts today's round's days.
BestCatch todaysBest(const Setup& setup) { return dayBest(setup.catches, todayUtc(std::time(nullptr))); }

// What a round is measured against: its count's best, or the day's.
BestCatch bestFor(const Setup& setup, RoundKind kind) {
    return kind == DailyRound ? todaysBest(setup) : setup.catches[bottlesToLay(setup.choice.settings)];
}

void showBest(HWND dialog, const Setup& setup) {
    SetDlgItemTextW(dialog, IDC_TODAY_BEST, wide(todayLine(*setup.texts, todaysBest(setup))).c_str());
    const int bottles = std::clamp(chosenBottles(dialog), kFewestBottles, kMostBottles);
    SetDlgItemTextW(dialog, IDC_BEST, wide(bestCatchLine(*setup.texts, setup.catches[bottles])).c_str());
    offerWatch(dialog, setup);
    showList(dialog, setup);
}

void fillDialog(HWND dialog, const Setup& setup) {
    const SetupTexts& texts = *setup.texts;
    const ScreenRows& screen = setup.screen;
    SetWindowTextW(dialog, wide(texts.title).c_str());
    setText(dialog, IDC_RESOLUTION_LABEL, texts.resolution);
    for (int row = 0; row < kResolutionCount; ++row) {
        // The sizes' own text: an '_' in it is no mnemonic.
        const std::string label = resolutionLabel(texts, row, screen.fullScreen[row], screen.window[row]);
        SetDlgItemTextW(dialog, IDC_ROW0 + row, wide(label).c_str());
    }
    setText(dialog, IDC_FULL_SCREEN, texts.fullScreen);
    // A choice only where the screen leaves one.
    EnableWindow(GetDlgItem(dialog, IDC_FULL_SCREEN), anyOffered(screen.fullScreen) && anyOffered(screen.window));
    if (!anyOffered(screen.fullScreen) && !anyOffered(screen.window))
        SetDlgItemTextW(dialog, IDC_NONE_OFFERED, wide(texts.noneOffered).c_str());
    setText(dialog, IDC_DEPTH_LABEL, texts.colourDepth);
    setText(dialog, IDC_BITS16, texts.bits16);
    setText(dialog, IDC_BITS32, texts.bits32);
    setText(dialog, IDC_BLENDING, texts.blending);
    setText(dialog, IDC_BOTTLES_LABEL, texts.bottles);
    setText(dialog, IDC_SOUND, texts.sound);
    setText(dialog, IDOK, texts.play);
    setText(dialog, IDC_WATCH, texts.watchBest);
    setText(dialog, IDC_TODAY, texts.todaysRound);
    setText(dialog, IDC_NAME_LABEL, texts.name);
    SetDlgItemTextW(dialog, IDC_NAME, wide(setup.choice.name).c_str());
    setText(dialog, IDC_BOARD_LABEL, setup.board->address);
    SetDlgItemTextW(dialog, IDC_BOARD, wide(setup.choice.board).c_str());
    // Shown while the field is empty: the board is off.
    SendDlgItemMessageW(dialog, IDC_BOARD, EM_SETCUEBANNER, FALSE,
                        reinterpret_cast<LPARAM>(wide(setup.board->addressHint).c_str()));
    SetDlgItemTextW(dialog, IDC_BEST_TEN, wide(texts.bestTen).c_str());
    for (int place = 0; place < kKeptRounds; ++place) {
        SetDlgItemTextW(dialog, IDC_TEN_WATCH0 + place, wide(texts.watchRow).c_str());
        setText(dialog, IDC_TEN_SAVE0 + place, texts.saveRound);
    }
    setText(dialog, IDCANCEL, texts.close);
    SetDlgItemTextW(dialog, IDC_CONTROLS, wide(texts.controls).c_str());
    SetDlgItemTextW(dialog, IDC_VERSION, wide(std::string(texts.version) + KORVADA_VERSION_STRING).c_str());

    const GameSettings& s = setup.choice.settings;
    CheckRadioButton(dialog, IDC_ROW0, kLastRow, IDC_ROW0 + s.resolutionIndex);
    CheckDlgButton(dialog, IDC_FULL_SCREEN, setup.choice.fullScreen ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, IDC_BITS16, IDC_BITS32, s.colorCode == 'H' ? IDC_BITS16 : IDC_BITS32);
    CheckDlgButton(dialog, IDC_BLENDING, s.blending ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, IDC_BOTTLES_SPIN, UDM_SETRANGE32, kFewestBottles, kMostBottles);
    SendDlgItemMessageW(dialog, IDC_BOTTLES_SPIN, UDM_SETPOS32, 0, bottlesToLay(s));
    CheckDlgButton(dialog, IDC_SOUND, s.sound ? BST_CHECKED : BST_UNCHECKED);
    allowRows(dialog, setup);
    showBest(dialog, setup);
}

LaunchChoice chosenChoice(HWND dialog, LaunchChoice choice) {
    GameSettings& settings = choice.settings;
    for (int row = 0; row < kResolutionCount; ++row)
        if (IsDlgButtonChecked(dialog, IDC_ROW0 + row) == BST_CHECKED) settings.resolutionIndex = row;
    settings.colorCode = IsDlgButtonChecked(dialog, IDC_BITS16) == BST_CHECKED ? 'H' : 'T';
    settings.blending = IsDlgButtonChecked(dialog, IDC_BLENDING) == BST_CHECKED ? 1 : 0;
    // A number typed past the range is limited to it; an empty field keeps
    // the count the dialog opened with.
    BOOL read = FALSE;
    const UINT bottles = GetDlgItemInt(dialog, IDC_BOTTLES, &read, FALSE);
    if (read) chooseBottles(&settings, static_cast<int>(bottles > 1000 ? 1000 : bottles));
    settings.sound = IsDlgButtonChecked(dialog, IDC_SOUND) == BST_CHECKED ? 1 : 0;
    choice.fullScreen = fullScreenChecked(dialog);
    std::wstring name(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, IDC_NAME))) + 1, L'\0');
    GetDlgItemTextW(dialog, IDC_NAME, &name[0], static_cast<int>(name.size()));
    choice.name = narrow(name.c_str());
    return choice;
}

// The game's own icon on the dialog's title bar and task-bar button.
void useGameIcon(HWND dialog) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& [which, size] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int pixels = GetSystemMetrics(size);
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR | LR_SHARED);
        SendMessageW(dialog, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

int showMessage(const SetupTexts& texts, const std::string& text, UINT icon) {
    MessageBoxW(nullptr, wide(text).c_str(), wide(texts.title).c_str(), icon | MB_OK);
    return kExitCannotStart;
}

int showMessage(Setup& setup, const std::string& text, UINT icon) {
    setup.messageOpen = true;
    showMessage(*setup.texts, text, icon);
    setup.messageOpen = false;
    return kExitCannotStart;
}

// korvada.exe CODE (or --window CODE, each after --watch FILE to play a
// recording back), from this program's folder, where the game's pictures
// and sounds are. Returns its process, or null with the reason.
HANDLE startGame(const fs::path& folder, const LaunchChoice& choice, const fs::path& watch, RoundKind kind,
                 std::string* error) {
    const fs::path game = folder / L"korvada.exe";
    std::wstring commandLine =
        L"\"" + game.wstring() + L"\"" + wide(windowsArguments(gameArguments(choice, watch, kind)));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(game.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        *error = narrow(game.wstring()) + ": " + systemMessage(GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

void CALLBACK onGameProcessEnded(void* dialog, BOOLEAN) { PostMessageW(static_cast<HWND>(dialog), kGameEnded, 0, 0); }

// Play: the choice saved (a failure only warns: the player asked to play),
// the game started, and the dialog hidden until it ends. Watching a
// recording (`watch`) chooses nothing: the saved choice stays.
void play(HWND dialog, Setup& setup, const fs::path& watch = {}, RoundKind kind = FreeRound) {
    setup.choice = chosenChoice(dialog, setup.choice);
    say(dialog, setup, "");
    // As it stands now: another round may have changed it since.
    readCatches(setup);
    setup.kind = watch.empty() ? kind : FreeRound;
    setup.beforeRound = bestFor(setup, setup.kind);
    // A choice that cannot be saved still plays: the dialog says why once
    // the round is over.
    std::string error;
    setup.notSaved.clear();
    if (watch.empty() && !writeSavedCode(setup.saved, savedLine(setup.choice), diskSteps(), &setup.notSaved))
        std::fprintf(stderr, "KorvadaSetup: the choice is not saved: %s\n", setup.notSaved.c_str());
    setup.game = startGame(setup.folder, setup.choice, watch, setup.kind, &error);
    if (setup.game == nullptr) {
        say(dialog, setup, roundEndLine(*setup.texts, 0, {}, {}, setup.notSaved, "").line);
        showMessage(setup, setup.texts->cannotStart + reasonIn(*setup.texts, error), MB_ICONERROR);
        return;
    }
    ShowWindow(dialog, SW_HIDE);
    if (boardOn(setup)) SetTimer(dialog, kSendTimer, kSendEveryMs, nullptr);
    if (!RegisterWaitForSingleObject(&setup.wait, setup.game, onGameProcessEnded, dialog, INFINITE,
                                     WT_EXECUTEONLYONCE))
        onGameProcessEnded(dialog, TRUE);
}

bool addressTaken(HWND dialog, Setup& setup, bool asked);

// What Play and Today's round play with, taken from the dialog. A name the
// rule refuses, or a board's address, plays nothing and is not kept: the
// line says why, and the field has the focus to mend it.
bool choiceTaken(HWND dialog, Setup& setup) {
    setup.choice = chosenChoice(dialog, setup.choice);
    const std::string refusal = nameRefusal(*setup.texts, setup.choice.name);
    if (!refusal.empty()) {
        std::fprintf(stderr, "KorvadaSetup: the name is refused: %s\n", refusal.c_str());
        say(dialog, setup, refusal);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_NAME)), TRUE);
        return false;
    }
    return addressTaken(dialog, setup, true);
}

// Watch best: the recording read again here, so that one damaged since it
// was offered is said on the dialog's line, where the player sees it, and no
// window opens only to close again.
void watch(HWND dialog, Setup& setup) {
    const KeptRound round = bestRound(dialog, setup);
    if (!round.playable) {
        std::fprintf(stderr, "KorvadaSetup: %s\n", round.trouble.c_str());
        say(dialog, setup, watchRefusal(*setup.texts, round));
        offerWatch(dialog, setup);
        return;
    }
    play(dialog, setup, round.file);
}

// A row's Watch: its round read again at the click, as Watch best does.
void watchRow(HWND dialog, Setup& setup, int place) {
    const int bottles = std::clamp(chosenBottles(dialog), kFewestBottles, kMostBottles);
    const std::vector<BestCatch>& rows = setup.catches.rows[bottles];
    if (place >= static_cast<int>(rows.size())) return;
    const KeptRound round = keptRound(setup.catchesFile.file, bottles, rows[place].round);
    if (!round.playable) {
        std::fprintf(stderr, "KorvadaSetup: %s\n", round.trouble.c_str());
        say(dialog, setup, watchRefusal(*setup.texts, round));
        showList(dialog, setup);
        return;
    }
    play(dialog, setup, round.file);
}

// A row's Save round: a copy of its recording where the player chooses,
// under the name offered; the line says where it went, or why not.
void saveRow(HWND dialog, Setup& setup, int place) {
    const int bottles = std::clamp(chosenBottles(dialog), kFewestBottles, kMostBottles);
    const std::vector<BestCatch>& rows = setup.catches.rows[bottles];
    if (place >= static_cast<int>(rows.size())) return;
    const BestCatch row = rows[place];
    std::wstring file = wide(savedRoundName(row));
    file.resize(32768, L'\0');
    // The button's words as the window's title, without its mnemonic's mark.
    std::wstring title = wide(setup.texts->saveRound);
    title.erase(std::remove(title.begin(), title.end(), L'_'), title.end());
    const std::wstring filter = std::wstring(L"*.kvr") + L'\0' + L"*.kvr" + L'\0';
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = dialog;
    chooser.lpstrFilter = filter.c_str();
    chooser.lpstrFile = &file[0];
    chooser.nMaxFile = static_cast<DWORD>(file.size());
    chooser.lpstrTitle = title.c_str();
    chooser.lpstrDefExt = L"kvr";
    chooser.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    setup.messageOpen = true;
    const BOOL chosen = GetSaveFileNameW(&chooser);
    setup.messageOpen = false;
    if (!chosen) return;
    const fs::path to(file.c_str());
    std::string error;
    const bool saved = saveRoundCopy(keptRound(setup.catchesFile.file, bottles, row.round), to, diskSteps(), &error);
    if (!saved) std::fprintf(stderr, "KorvadaSetup: the round is not saved: %s\n", error.c_str());
    else std::fprintf(stderr, "KorvadaSetup: the round is saved: %s\n", narrow(to.wstring()).c_str());
    say(dialog, setup, savedRoundLine(*setup.texts, to, saved, error).line);
}

// --- The board ---------------------------------------------------------------

// What an exchange asked for, in its message's WPARAM beside the board's
// number (Setup::generation).
enum Asked : WPARAM { AskedDay, AskedRound, AskedTicket, AskedRecording };
constexpr int kAskedBits = 2;

void ask(HWND dialog, const Setup& setup, const BoardRequest& request, Asked asked) {
    startBoardExchange(request, dialog, kBoardAnswered, (static_cast<WPARAM>(setup.generation) << kAskedBits) | asked);
}

// A board's line joins what the line says; while the dialog is away (a game
// runs) it waits for its return.
void addToLine(HWND dialog, Setup& setup, const std::string& line) {
    if (line.empty()) return;
    if (!IsWindowVisible(dialog)) {
        setup.boardSaid += (setup.boardSaid.empty() ? "" : "\n") + line;
        return;
    }
    say(dialog, setup, setup.line + (setup.line.empty() ? "" : "\n") + line);
}

void sayForBoard(HWND dialog, Setup& setup, const std::string& line) {
    if (line.empty()) return;
    std::fprintf(stderr, "KorvadaSetup: %s\n", line.c_str());
    addToLine(dialog, setup, line);
}

// While a ticket or a round to watch comes, nothing else starts.
void setBusy(HWND dialog, Setup& setup, bool busy) {
    setup.busy = busy;
    for (int control : {IDOK, IDC_TODAY, IDC_BOARD}) EnableWindow(GetDlgItem(dialog, control), !busy);
    if (!busy) allowRows(dialog, setup);
    offerWatch(dialog, setup);
    showList(dialog, setup);
}

// The tabs over the list show only with a board; without one the list is
// the ten best under their own heading, as before there were boards.
void showLists(HWND dialog, const Setup& setup) {
    const bool on = boardOn(setup);
    if (!on) TabCtrl_SetCurSel(setup.lists, 0);
    ShowWindow(setup.lists, on ? SW_SHOWNA : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_BEST_TEN), on ? SW_HIDE : SW_SHOWNA);
    std::wstring heading = wide(setup.day.heading);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = &heading[0];
    TabCtrl_SetItem(setup.lists, 1, &item);
    showList(dialog, setup);
}

// Today is the UTC day, as the board counts it. Asked when a board is given
// and after it kept a round, so the list turns to the board's tab.
void askDay(HWND dialog, Setup& setup) {
    setup.dayAsked = dayText(todayUtc(std::time(nullptr)));
    setup.day = ShownDay{filledIn(setup.board->topTen, dayText(*setup.texts, setup.dayAsked)), {}, ""};
    if (boardOn(setup)) {
        ask(dialog, setup, dayRequest(setup.sending.origin, setup.dayAsked), AskedDay);
        TabCtrl_SetCurSel(setup.lists, 1);
    }
    showLists(dialog, setup);
}

void dayAnswered(HWND dialog, Setup& setup, const BoardAnswer& answer) {
    const DayRounds day = readDayAnswer(answer, setup.dayAsked);
    if (!day.read) std::fprintf(stderr, "KorvadaSetup: the board's day: %s\n", day.trouble.c_str());
    setup.day = shownDay(*setup.texts, *setup.board, setup.dayAsked, day);
    showLists(dialog, setup);
}

// One round at a time, until the pass is over; then its line, and the day
// again when a round was kept, shown in the list.
void sendNextRound(HWND dialog, Setup& setup) {
    BoardRequest request;
    if (nextRound(&setup.sending, &request)) {
        setup.exchanging = true;
        ask(dialog, setup, request, AskedRound);
        return;
    }
    const bool kept = setup.sending.tally.kept > 0;
    sayForBoard(dialog, setup, sendingLine(*setup.texts, *setup.board, &setup.sending));
    if (kept) askDay(dialog, setup);
}

// A pass over what waits; `newOnly` while a game runs.
void sendWaiting(HWND dialog, Setup& setup, bool newOnly) {
    if (!boardOn(setup) || setup.exchanging) return;
    if (beginSending(&setup.sending, newOnly)) sendNextRound(dialog, setup);
}

// A board's address as the player gave it: "" is no board; a new one is
// talked to from now on (a secret made for it the first time), and what
// was asked of the one before is forgotten.
void useBoard(HWND dialog, Setup& setup, const std::string& origin) {
    if (!turnToBoard(&setup.choice, &setup.sending, origin, makeBoardSecret)) return;
    setup.exchanging = false;
    ++setup.generation;
    if (setup.busy) setBusy(dialog, setup, false);
    askDay(dialog, setup);
    sendWaiting(dialog, setup, false);
}

// The address field's text, as the rule reads it. One it refuses turns
// nothing on or off: the line says why and the field gets the focus to mend
// it, when the player `asked` for a round (leaving the field says nothing:
// the round asked for next would say it again).
bool addressTaken(HWND dialog, Setup& setup, bool asked) {
    std::wstring typed(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, IDC_BOARD))) + 1, L'\0');
    GetDlgItemTextW(dialog, IDC_BOARD, &typed[0], static_cast<int>(typed.size()));
    std::string origin, why;
    const std::string address = narrow(typed.c_str());
    if (!address.empty() && !readBoardAddress(address, &origin, &why)) {
        if (!asked) return false;
        std::fprintf(stderr, "KorvadaSetup: the board's address is refused: %s\n", why.c_str());
        say(dialog, setup, filledIn(setup.board->badAddress, why));
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_BOARD)), TRUE);
        return false;
    }
    useBoard(dialog, setup, origin);
    return true;
}

// Today's round with a board: a ticket first. Without one in its time the
// round plays all the same, only the board will never see it.
void playToday(HWND dialog, Setup& setup) {
    setup.choice.ticket.clear();
    if (!boardOn(setup)) {
        play(dialog, setup, {}, DailyRound);
        return;
    }
    say(dialog, setup, setup.board->asking);
    setBusy(dialog, setup, true);
    ask(dialog, setup, ticketRequest(setup.sending.origin), AskedTicket);
}

void ticketAnswered(HWND dialog, Setup& setup, const BoardAnswer& answer) {
    setBusy(dialog, setup, false);
    const BoardTicket ticket = readTicketAnswer(answer);
    setup.choice.ticket = ticket.given ? ticket.ticket : "";
    play(dialog, setup, {}, DailyRound);
    // Away with the dialog, it is said at its return.
    if (!ticket.given) sayForBoard(dialog, setup, filledIn(setup.board->noTicket, ticket.trouble));
}

// A round of the board's day, downloaded into a file of its own and watched
// as any recording; read first, as everything the board sends.
void watchBoardRow(HWND dialog, Setup& setup, int place) {
    if (place >= static_cast<int>(setup.day.rows.size())) return;
    say(dialog, setup, setup.board->downloading);
    setBusy(dialog, setup, true);
    ask(dialog, setup, recordingRequest(setup.sending.origin, setup.day.rows[place].id), AskedRecording);
}

void recordingAnswered(HWND dialog, Setup& setup, const BoardAnswer& answer) {
    setBusy(dialog, setup, false);
    RoundRecording recording;
    std::string trouble;
    if (readRecordingAnswer(answer, &recording, &trouble)) {
        std::error_code noFolder;
        const fs::path file = fs::temp_directory_path(noFolder) /
                              ("korvada-board-" + std::to_string(GetCurrentProcessId()) + ".kvr");
        if (noFolder) trouble = noFolder.message();
        else if (replaceFile(file, answer.body, diskSteps(), &trouble)) {
            setup.downloaded = file;
            play(dialog, setup, file);
            return;
        }
    }
    std::fprintf(stderr, "KorvadaSetup: %s\n", trouble.c_str());
    say(dialog, setup, filledIn(setup.board->cannotWatch, trouble));
}

void boardAnswered(HWND dialog, Setup& setup, WPARAM tag, LPARAM posted) {
    const BoardAnswer answer = takePostedAnswer(posted);
    if ((tag >> kAskedBits) != setup.generation) return;
    switch (static_cast<Asked>(tag & ((1 << kAskedBits) - 1))) {
    case AskedDay:
        dayAnswered(dialog, setup, answer);
        break;
    case AskedRound:
        setup.exchanging = false;
        takeRoundAnswer(&setup.sending, answer, std::time(nullptr));
        sendNextRound(dialog, setup);
        break;
    case AskedTicket:
        ticketAnswered(dialog, setup, answer);
        break;
    case AskedRecording:
        recordingAnswered(dialog, setup, answer);
        break;
    }
}

// The tabs over the list, where its heading is, made here: the resource
// keeps the heading for a dialog without a board.
void addLists(HWND dialog, Setup& setup) {
    HWND heading = GetDlgItem(dialog, IDC_BEST_TEN);
    const RECT at = placeOf(dialog, heading);
    const RECT save = placeOf(dialog, GetDlgItem(dialog, IDC_TEN_SAVE0));
    setup.firstRow = placeOf(dialog, GetDlgItem(dialog, IDC_TEN_ROW0));
    setup.lists = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS, at.left,
                                  at.top - 3, save.right - at.left, setup.firstRow.top - at.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LISTS)), GetModuleHandleW(nullptr),
                                  nullptr);
    SendMessageW(setup.lists, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    std::wstring bestTen = wide(setup.texts->bestTen);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = &bestTen[0];
    TabCtrl_InsertItem(setup.lists, 0, &item);
    TabCtrl_InsertItem(setup.lists, 1, &item);
    // In the tab order where the heading is, before the rows.
    SetWindowPos(setup.lists, heading, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The round is over: the dialog again, Play focused, and why it failed or
// the new best it set. A table the game could not write is told here too:
// the game said why on its stderr, which a player never sees, so the dialog
// tries the same write (all but its rename) and shows the reason it fails.
void gameEnded(HWND dialog, Setup& setup) {
    DWORD exitCode = 0;
    GetExitCodeProcess(setup.game, &exitCode);
    KillTimer(dialog, kSendTimer);
    std::error_code gone;
    if (!setup.downloaded.empty()) fs::remove(setup.downloaded, gone);
    setup.downloaded.clear();
    if (setup.wait != nullptr) UnregisterWait(setup.wait);
    CloseHandle(setup.game);
    setup.game = setup.wait = nullptr;
    const std::string failed = gameEndLine(*setup.texts, static_cast<int>(exitCode));
    // Said on stderr too, as the game says its errors, for whoever started us.
    if (!failed.empty()) std::fprintf(stderr, "KorvadaSetup: %s\n", failed.c_str());
    readCatches(setup);
    std::string notKept;
    couldReplace(setup.catchesFile.file, bestCatchesText(setup.catches), setup.catchesFile.disk, &notKept);
    const RoundEnd end = roundEndLine(*setup.texts, static_cast<int>(exitCode), setup.beforeRound,
                                      bestFor(setup, setup.kind), setup.notSaved, notKept);
    say(dialog, setup, end.line);
    showBest(dialog, setup);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
    const std::string said = setup.boardSaid;
    setup.boardSaid.clear();
    addToLine(dialog, setup, said);
    sendWaiting(dialog, setup, false);
}

// The chosen row steps to the next or the previous the full-screen choice allows.
void stepRow(HWND dialog, const Setup& setup, int step) {
    const OfferedRows& allowed = rowsFor(setup.screen, fullScreenChecked(dialog));
    const int row = chosenChoice(dialog, setup.choice).settings.resolutionIndex;
    CheckRadioButton(dialog, IDC_ROW0, kLastRow, IDC_ROW0 + steppedRow(allowed, row, step));
}

void stepBottles(HWND dialog, const Setup& setup, int step) {
    const int bottles = std::clamp(chosenBottles(dialog) + step, kFewestBottles, kMostBottles);
    SendDlgItemMessageW(dialog, IDC_BOTTLES_SPIN, UDM_SETPOS32, 0, bottles);
    showBest(dialog, setup);
}

// The pads, read on the timer. While a round is on, or a message box waits,
// they ask nothing; back, what is held then acts only once pressed anew.
void readPads(HWND dialog, Setup& setup) {
    PadState states[kXInputPads];
    readXInput(setup.pads, states);
    if (setup.game != nullptr || setup.messageOpen) {
        padMenuShown(setup.menu, states, kXInputPads);
        return;
    }
    const uint32_t actions = padMenuActions(setup.menu, states, kXInputPads, GetTickCount());
    if (actions & PadClose) {
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (actions & PadMoreBottles) stepBottles(dialog, setup, 1);
    if (actions & PadFewerBottles) stepBottles(dialog, setup, -1);
    if (actions & PadNextRow) stepRow(dialog, setup, 1);
    if (actions & PadPreviousRow) stepRow(dialog, setup, -1);
    if (actions & PadPlay) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// Whether a button may act now: no game runs, nothing the board sends is
// awaited, and the button is on (a key may reach one that is not).
bool idle(HWND dialog, const Setup& setup, int control) {
    return setup.game == nullptr && !setup.busy && IsWindowEnabled(GetDlgItem(dialog, control));
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Setup* setup = reinterpret_cast<Setup*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        setup = reinterpret_cast<Setup*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        useGameIcon(dialog);
        addResolutionRows(dialog);
        addLists(dialog, *setup);
        fillDialog(dialog, *setup);
        useBoard(dialog, *setup, setup->choice.board);
        if (setup->pads.getState != nullptr) SetTimer(dialog, kPadTimer, kPadReadEveryMs, nullptr);
        // The focus starts on the chosen resolution: the arrow keys change
        // it at once, and Enter plays.
        SetFocus(GetDlgItem(dialog, IDC_ROW0 + chosenChoice(dialog, setup->choice).settings.resolutionIndex));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (idle(dialog, *setup, IDOK) && choiceTaken(dialog, *setup)) play(dialog, *setup);
            return TRUE;
        case IDC_WATCH:
            if (idle(dialog, *setup, IDC_WATCH)) watch(dialog, *setup);
            return TRUE;
        case IDC_TODAY:
            if (idle(dialog, *setup, IDOK) && choiceTaken(dialog, *setup)) playToday(dialog, *setup);
            return TRUE;
        case IDC_BOARD:
            // Leaving the field turns the board on (or off), as every button does.
            if (HIWORD(wParam) == EN_KILLFOCUS && !setup->busy) addressTaken(dialog, *setup, false);
            return TRUE;
        case IDCANCEL:
            if (setup->game == nullptr) EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_FULL_SCREEN:
            allowRows(dialog, *setup);
            return TRUE;
        case IDC_BOTTLES:
            if (HIWORD(wParam) == EN_CHANGE) showBest(dialog, *setup);
            return TRUE;
        default:
            if (LOWORD(wParam) >= IDC_TEN_WATCH0 && LOWORD(wParam) < IDC_TEN_WATCH0 + kKeptRounds) {
                const int place = LOWORD(wParam) - IDC_TEN_WATCH0;
                if (!idle(dialog, *setup, LOWORD(wParam))) return TRUE;
                if (boardDayShown(*setup)) watchBoardRow(dialog, *setup, place);
                else watchRow(dialog, *setup, place);
                return TRUE;
            }
            if (LOWORD(wParam) >= IDC_TEN_SAVE0 && LOWORD(wParam) < IDC_TEN_SAVE0 + kKeptRounds) {
                if (idle(dialog, *setup, LOWORD(wParam))) saveRow(dialog, *setup, LOWORD(wParam) - IDC_TEN_SAVE0);
                return TRUE;
            }
            return FALSE;
        }
    case kGameEnded:
        gameEnded(dialog, *setup);
        return TRUE;
    case kBoardAnswered:
        boardAnswered(dialog, *setup, wParam, lParam);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR& note = *reinterpret_cast<const NMHDR*>(lParam);
        if (note.idFrom != IDC_LISTS || note.code != TCN_SELCHANGE) return FALSE;
        showList(dialog, *setup);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kPadTimer) readPads(dialog, *setup);
        if (wParam == kSendTimer) sendWaiting(dialog, *setup, true);
        return TRUE;
    default:
        return FALSE;
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    const Language& language = languageOf(userLocaleName());
    const SetupTexts& texts = setupTexts(language);
    const fs::path folder = programFolder();
    const fs::path game = folder / L"korvada.exe";
    if (GetFileAttributesW(game.c_str()) == INVALID_FILE_ATTRIBUTES)
        return showMessage(texts,
                           texts.cannotStart + reasonIn(texts, narrow(game.wstring()) + ": " + systemMessage(GetLastError())),
                           MB_ICONERROR);

    Setup setup{&texts, screenRows(), {}, folder, savedCodeFile()};
    setup.choice = startingChoice(readSavedCode(setup.saved).choice, setup.screen);
    setup.catchesFile = {bestCatchesFile(), diskSteps()};
    readCatches(setup);
    setup.board = &language.boardClient;
    setup.waitingPlace = {waitingFolder(setup.catchesFile.file), diskSteps()};
    setup.sending.store = waitingStoreIn(&setup.waitingPlace);
    setup.pads.getState = loadXInputGetState();
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP), nullptr, dialogProcedure, reinterpret_cast<LPARAM>(&setup));
    return 0;
}
