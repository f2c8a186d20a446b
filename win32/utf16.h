#pragma once
// Our texts are UTF-8; Windows' wide-character calls read them right whatever
// code page the system runs in. Shared by korvada.exe and KorvadaSetup.exe,
// below both (win32/ holds what the two Windows programs share).

#include <windows.h>

#include <string>

// The UTF-16 of a UTF-8 text; empty when the text is not valid UTF-8.
inline std::wstring utf16FromUtf8(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], length);
    text.resize(text.size() - 1);  // the terminating zero
    return text;
}
