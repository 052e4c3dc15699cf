// Calendar seconds of a local date and time, for tests of time-stamped texts.
#pragma once

#include <cstdint>
#include <ctime>

inline int64_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&t));
}
