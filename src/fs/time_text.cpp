#include "fs/time_text.h"

#include <cstdio>
#include <ctime>

namespace vaultor::fs {

std::string DosDateText(std::int32_t dos, bool minutes_only) {
    const std::string none = "0000:00:00 00:00:00";
    if (dos == -1) return none;
    auto v = static_cast<std::uint32_t>(dos);
    unsigned year = 1980 + (v >> 25), month = (v >> 21) & 15u, day = (v >> 16) & 31u;
    unsigned hour = (v >> 11) & 31u, minute = (v >> 5) & 63u, second = (v & 31u) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return none;
    char text[32];
    if (minutes_only)
        std::snprintf(text, sizeof text, "%04u:%02u:%02u %02u:%02u", year, month, day, hour,
                      minute);
    else
        std::snprintf(text, sizeof text, "%04u:%02u:%02u %02u:%02u:%02u", year, month, day, hour,
                      minute, second);
    return text;
}

std::string DurationText(std::int64_t seconds) {
    bool negative = seconds < 0;
    std::uint64_t s =
        negative ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
    char text[48];
    std::snprintf(text, sizeof text, "%s%02llu:%02llu:%02llu", negative ? "-" : "",
                  static_cast<unsigned long long>(s / 3600),
                  static_cast<unsigned long long>(s / 60 % 60),
                  static_cast<unsigned long long>(s % 60));
    return text;
}

std::string LocalTimeText(std::time_t when, const char* format) {
    struct tm local {};
    ::localtime_r(&when, &local);
    char text[64];
    if (std::strftime(text, sizeof text, format, &local) == 0) return {};
    return text;
}

std::optional<std::time_t> LocalMoment(int year, int month, int day, int hour, int minute,
                                       int second) {
    struct tm local {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    if (when == static_cast<std::time_t>(-1)) return std::nullopt;
    return when;
}

}  // namespace vaultor::fs
