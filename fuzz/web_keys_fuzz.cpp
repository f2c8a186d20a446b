// The page's keys: a KeyboardEvent's `code` and `key`, which the browser
// takes from the system and the keyboard layout, turned into the game's key
// codes (web_keys.cpp, built natively as the page builds it), and routed
// as every shell routes its keys (shell/shell_keys.cpp). The input is
// a byte of modifiers, then the code, a NUL byte and the key. What it
// promises: a key code the key table has, or none; a letter the same key
// whether the layout prints it small or capital.

#include <cctype>
#include <string>

#include "core/keys.h"
#include "fuzz/fuzz_input.h"
#include "shell/shell_keys.h"
#include "shell/web/web_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t modifiers = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string::size_type split = rest.find('\0');
    const std::string code = rest.substr(0, split);
    const std::string key = split == std::string::npos ? std::string() : rest.substr(split + 1);

    const int32_t virtualKey = virtualKeyOfWebKey(code.c_str(), key.c_str());
    check(virtualKey == -1 || (virtualKey >= 0 && virtualKey < kKeyCount));
    if (key.size() == 1 && std::isalpha(static_cast<unsigned char>(key[0]))) {
        const std::string other(1, static_cast<char>(std::isupper(static_cast<unsigned char>(key[0]))
                                                         ? std::tolower(static_cast<unsigned char>(key[0]))
                                                         : std::toupper(static_cast<unsigned char>(key[0]))));
        check(virtualKeyOfWebKey(code.c_str(), other.c_str()) == virtualKey);
    }
    // With Alt held no key press reaches the game, as on Windows, while every
    // release does (a key let go under Alt must not stay down); Ctrl or the
    // system key leave the key to the browser. The fast watch's key is the
    // shell's alone, down and up: the key table never holds it.
    KeyLatch latch;
    const bool down = (modifiers & 4) == 0;
    const bool repeat = (modifiers & 8) != 0;
    if (virtualKey == kFastWatchKey)
        check(!routeKey(latch, virtualKey, down, (modifiers & 1) != 0, repeat).toGame);
    else if (virtualKey >= 0 && (modifiers & 1))
        check(routeKey(latch, virtualKey, down, true, repeat).toGame == !down);
    if (modifiers & 2) check(browserKeepsKey(code.c_str(), true));
    return 0;
}
