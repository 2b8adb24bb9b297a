// Test helper: a calendar time of chosen fields, as the date routines take it.
#pragma once

#include <ctime>

// `month` from 1, `weekday` from 0 (Sunday).
inline std::tm CalendarTime(int year, int month, int day, int weekday, int hour, int minute, int second = 0)
{
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_wday = weekday;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    return when;
}
