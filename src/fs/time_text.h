#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace vaultor::fs {

// A packed DOS date and time as "yyyy:mm:dd hh:nn:ss", or "yyyy:mm:dd hh:nn"
// for a CD target; a value that is no date and time (-1) gives
// "0000:00:00 00:00:00".
std::string DosDateText(std::int32_t dos, bool minutes_only);

// Hours, minutes and seconds of at least two digits each, joined by ":";
// hours take as many digits as they need (360000 s is "100:00:00").
std::string DurationText(std::int64_t seconds);

// A moment in local time, as strftime's `format` writes it.
std::string LocalTimeText(std::time_t when, const char* format);
// The moment of a local date and time; nullopt when there is none.
std::optional<std::time_t> LocalMoment(int year, int month, int day, int hour, int minute,
                                       int second);

}  // namespace vaultor::fs
