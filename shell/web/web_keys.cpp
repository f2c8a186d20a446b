#include "shell/web/web_keys.h"

#include <cstring>

#include "core/keys.h"
#include "shell/keypad_keys.h"

namespace {
struct NamedKey {
    const char* code;
    int32_t virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"ArrowLeft", kKeyLeft},   {"ArrowUp", kKeyUp},     {"ArrowRight", kKeyRight},   {"ArrowDown", kKeyDown},
    {"Space", kKeySpace},      {"Enter", kKeyReturn},   {"NumpadEnter", kKeyReturn}, {"Escape", kKeyEscape},
    {"Pause", kKeyPause},      {"Tab", kKeyTab},
};

// "Digit7" -> 7 for prefix "Digit"; -1 when the code is not prefix + number.
int numberAfter(const char* code, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (std::strncmp(code, prefix, length) != 0 || code[length] == '\0') return -1;
    int number = 0;
    for (const char* p = code + length; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || number > 99) return -1;
        number = number * 10 + (*p - '0');
    }
    return number;
}

// The keypad's digit keys keep their `code` whatever NumLock says; their
// `key` is the digit with NumLock on and the moving key's name ("ArrowLeft",
// "Home", "Clear", ...) with it off.
int32_t keypadKey(int digit, const char* key) {
    const bool printsDigit = key[0] >= '0' && key[0] <= '9' && key[1] == '\0';
    return printsDigit ? kKeyNumpad0 + digit : kKeypadWithoutNumLock[digit];
}

int32_t letterKey(const char* code, const char* key) {
    const char c = key[0];
    if (c != '\0' && key[1] == '\0') {
        if (c >= 'a' && c <= 'z') return kKeyA + (c - 'a');
        if (c >= 'A' && c <= 'Z') return kKeyA + (c - 'A');
    }
    // A layout without Latin letters: the key's place on a US keyboard.
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return kKeyA + (code[3] - 'A');
    return -1;
}
}  // namespace

int32_t virtualKeyOfWebKey(const char* code, const char* key) {
    const int digit = numberAfter(code, "Digit");
    if (digit >= 0 && digit <= 9) return kKey0 + digit;
    const int pad = numberAfter(code, "Numpad");
    if (pad >= 0 && pad <= 9) return keypadKey(pad, key);
    if (std::strcmp(code, "NumpadDecimal") == 0 && std::strcmp(key, "Delete") == 0) return kKeypadPointWithoutNumLock;
    const int function = numberAfter(code, "F");
    if (function >= 1 && function <= 12) return kKeyF1 + (function - 1);
    for (const NamedKey& named : kNamedKeys)
        if (std::strcmp(code, named.code) == 0) return named.virtualKey;
    return letterKey(code, key);
}

bool browserKeepsKey(const char* code, bool ctrlOrMetaHeld) {
    const int function = numberAfter(code, "F");
    return ctrlOrMetaHeld || (function >= 1 && function <= 24);
}
