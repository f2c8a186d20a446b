#pragma once
// Our texts are UTF-8; Windows' wide-character calls read them right whatever
// code page the system runs in, and give any path or name back. Shared by korvada.exe and KorvadaSetup.exe,
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

// The UTF-8 of a UTF-16 text.
inline std::string utf8FromUtf16(const wchar_t* utf16) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, -1, &text[0], length, nullptr, nullptr);
    text.resize(text.size() - 1);  // the terminating zero
    return text;
}
