// setup_reader.exe TITLE: what KorvadaSetup.exe's dialog named TITLE shows,
// as the player sees it, for the Wine tests: the dialog's place on the
// screen, the screen's work area, the Play button's place, and the text of
// the dialog's line (its line ends shown as " | ") and whether all of it is
// drawn inside its place, one fact a line in UTF-8. Exit 1 when there is no
// such dialog.

#include <windows.h>

#include <cstdio>
#include <string>

#include "setup_resources.h"

namespace {
void printPlace(const char* what, HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    std::printf("%s %ld %ld %ld %ld\n", what, place.left, place.top, place.right - place.left, place.bottom - place.top);
}

std::string utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: setup_reader TITLE\n");
        return 2;
    }
    HWND dialog = FindWindowW(nullptr, argv[1]);
    if (dialog == nullptr) return 1;
    printPlace("dialog", dialog);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::printf("work %ld %ld %ld %ld\n", work.left, work.top, work.right - work.left, work.bottom - work.top);
    printPlace("play", GetDlgItem(dialog, IDOK));
    HWND line = GetDlgItem(dialog, IDC_ROUND_END);
    printPlace("line-place", line);
    // Asked of the control itself: GetWindowText gives another program's
    // control's caption, not what an edit control holds.
    std::wstring text(static_cast<size_t>(SendMessageW(line, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(line, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    std::string shown;
    for (char c : utf8(text)) {
        if (c == '\r') continue;
        shown += c == '\n' ? std::string(" | ") : std::string(1, c);
    }
    std::printf("line %s\n", shown.c_str());
    // Whether all of the line is drawn inside its place: each of its lines
    // as wide as it at most, and all of them as tall as it at most, in the
    // dialog's font (made here again: another program's font is not this
    // one's to use).
    RECT inside{};
    GetClientRect(line, &inside);
    HDC context = GetDC(line);
    HFONT dialogFont = CreateFontW(-MulDiv(8, GetDeviceCaps(context, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, L"MS Shell Dlg");
    const HGDIOBJ font = SelectObject(context, dialogFont);
    bool whole = true;
    long lines = 0;
    for (size_t start = 0; !text.empty() && start <= text.size(); ++lines) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const size_t length = end > start && text[end - 1] == L'\r' ? end - 1 - start : end - start;
        SIZE size{};
        GetTextExtentPoint32W(context, text.c_str() + start, static_cast<int>(length), &size);
        whole = whole && size.cx <= inside.right;
        start = end + 1;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(context, &metrics);
    whole = whole && lines * metrics.tmHeight <= inside.bottom;
    SelectObject(context, font);
    DeleteObject(dialogFont);
    ReleaseDC(line, context);
    std::printf("line-shown %s\n", whole ? "whole" : "cut");
    std::printf("line-lines %ld in %ld px\n", lines, static_cast<long>(inside.bottom));
    return 0;
}
