#include "core/daily_round.h"

#include <cstdio>

namespace {

struct Date {
    int64_t year;
    int32_t month;  // 1..12
    int32_t day;    // 1..31
};

// The proleptic Gregorian calendar's date of a day since 1970-01-01, and
// the day of a date: whole-number arithmetic on 400-year eras, no time zone
// and no C library, so that every platform counts alike.
Date dateOf(int64_t days) {
    days += 719468;  // from 0000-03-01
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int32_t day = static_cast<int32_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int32_t month = static_cast<int32_t>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int64_t daysOf(const Date& date) {
    const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

uint32_t todayUtc(std::time_t now) {
    if (now < 0) return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(now) / 86400);
}

uint32_t dailyRandomState(uint32_t day) {
    const Date date = dateOf(day);
    return static_cast<uint32_t>(date.year * 10000 + date.month * 100 + date.day);
}

std::string dayText(uint32_t day) {
    const Date date = dateOf(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(date.year), date.month, date.day);
    return text;
}

bool readDay(const std::string& text, uint32_t* day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    const Date date{std::stoll(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))};
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 || date.year < 1970) return false;
    const int64_t days = daysOf(date);
    const Date back = dateOf(days);
    if (back.month != date.month || back.day != date.day || days > UINT32_MAX) return false;  // 2026-02-30
    *day = static_cast<uint32_t>(days);
    return true;
}
