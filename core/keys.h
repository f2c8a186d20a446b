#pragma once
// Key codes, as Windows numbers its virtual keys. The key table and every
// rule that reads it use these numbers; each shell translates its own keys.

constexpr int kKeyTab = 0x09;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyPause = 0x13;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeySpace = 0x20;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKey0 = 0x30;  // main-row digits 0x30..0x39
constexpr int kKey1 = 0x31;  // the first camera's key (core/cameras.h)
constexpr int kKeyA = 0x41;       // letters 0x41..0x5A
constexpr int kKeyM = 0x4D;
constexpr int kKeyP = 0x50;
constexpr int kKeyNumpad0 = 0x60;  // keypad digits 0x60..0x69
constexpr int kKeyF1 = 0x70;       // F1..F12 0x70..0x7B
constexpr int kKeyF10 = 0x79;
constexpr int kKeyF11 = 0x7A;
constexpr int kKeyF12 = 0x7B;

constexpr int kKeyCount = 256;
