#pragma once
// Today's round: the same layout for every player on every platform, from
// the day alone. A day is counted in whole days since 1970-01-01 in UTC, so
// that a player in Prague and one in Auckland play the same round however
// their clocks read; its round is laid out from the generator's state
// year × 10000 + month × 100 + day of the month of that date (the round of
// 2026-12-10 from 20261210), with 8 bottles and 30 bubbles. Eight is two
// rows of four, every bottle inside the walls from the start, enough
// opponents that knocks decide a round, and few enough that a phone draws
// it at its display's pace. Sound and blending stay the player's: they do
// not change the course.

#include <cstdint>
#include <ctime>
#include <string>

constexpr int32_t kDailyBottles = 8;
constexpr int32_t kDailyBubbles = 30;

// The UTC day of a moment: days since 1970-01-01 (a moment before it is day 0).
uint32_t todayUtc(std::time_t now);

// The generator's state that the day's round is laid out from.
uint32_t dailyRandomState(uint32_t day);

// The day as "2026-12-10", and back; false for anything else (a day that is
// no date, or one before 1970-01-01).
std::string dayText(uint32_t day);
bool readDay(const std::string& text, uint32_t* day);
