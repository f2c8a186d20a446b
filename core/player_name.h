#pragma once
// A player's name, as the settings keep it and recordings carry it: 1 to 20
// characters (Unicode code points) of UTF-8, each a letter or a digit of any
// script (general categories L* and N*), a mark that follows a letter (M*:
// accents written apart), a space, '-' or '_'; no space first or last, nor
// two in a row. Every program checks a name with this one rule; the dialogs
// say in their own language what it refused.

#include <string>

constexpr int kLongestPlayerName = 20;  // characters
constexpr int kLongestPlayerNameBytes = kLongestPlayerName * 4;  // UTF-8's longest

// The box of a game given a name the rule refuses, before the reason.
extern const char* const kRefusedNameMessage;

// Whether `utf8` is such a name; else false, with why in English, one line.
bool checkPlayerName(const std::string& utf8, std::string* why);

// The Unicode version whose letters, marks and numbers the rule knows.
const char* playerNameUnicodeVersion();
