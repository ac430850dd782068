#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vaultor {

// When a list is backed up by itself: the companion file's [Schedule]
// section, present only for lists that use it.
struct Schedule {
    enum class Kind { Off, Daily, Weekly, Every };
    Kind kind = Kind::Off;
    int hour = 0, minute = 0;  // daily and weekly
    int day = 0;               // weekly: 0 Monday .. 6 Sunday
    int hours = 0;             // every N hours, 1..24
    bool on_plug = false;      // also when its target drive is plugged in
    int min_hours = 24;        // ... and its last good backup is older than this

    bool Used() const { return kind != Kind::Off || on_plug; }
    // How long a good backup may be old before the list is late: its interval
    // and a margin for a machine that was off at the time; a week without one.
    std::int64_t OverdueSeconds() const;
};

inline constexpr int kMaxEveryHours = 24;

// What the companion file holds; a value it cannot use is named in *problem
// and read as off.
Schedule ReadSchedule(const std::string& drv_path, std::string* problem = nullptr);
// Writes the section, or removes it when nothing is used. Throws WriteError.
void WriteSchedule(const std::string& drv_path, const Schedule& schedule);

// "off", "daily HH:MM", "weekly DAY HH:MM", "every N": the words of
// `vaultor-cli schedule`. nullopt and *error for anything else; the on-plug
// part of `base` is kept.
std::optional<Schedule> ParseScheduleWords(const std::vector<std::string>& words,
                                           const Schedule& base, std::string* error);
// The same words for a schedule, for showing it.
std::string ScheduleWords(const Schedule& schedule);
// In the user's language: "dagelijks om 09:30", "bij aansluiten (na 24 uur)".
std::string ScheduleText(const Schedule& schedule);
// systemd's calendar form: "*-*-* 09:30:00", "Mon *-*-* 09:30:00", "*-*-* 00/6:00:00".
std::string CalendarSpec(const Schedule& schedule);
// The five time fields of a crontab line.
std::string CrontabFields(const Schedule& schedule);

// "mon".."sun", "monday", "ma".."zo", "maandag": the day, or -1.
int DayNumber(const std::string& word);

}  // namespace vaultor
