#include "state/schedule.h"

#include <strings.h>

#include <array>
#include <cstdio>

#include "fs/i18n.h"
#include "state/ini_file.h"

namespace vaultor {
namespace {

constexpr const char* kSection = "Schedule";

struct DayNames {
    const char *short_en, *long_en, *short_nl, *long_nl;
};
constexpr std::array<DayNames, 7> kDays{{{"Mon", "Monday", "ma", N_("maandag")},
                                         {"Tue", "Tuesday", "di", N_("dinsdag")},
                                         {"Wed", "Wednesday", "wo", N_("woensdag")},
                                         {"Thu", "Thursday", "do", N_("donderdag")},
                                         {"Fri", "Friday", "vr", N_("vrijdag")},
                                         {"Sat", "Saturday", "za", N_("zaterdag")},
                                         {"Sun", "Sunday", "zo", N_("zondag")}}};

bool Same(const std::string& a, const char* b) {
    return ::strcasecmp(a.c_str(), b) == 0;
}

// "9:30" or "09:30".
bool ParseTime(const std::string& text, int* hour, int* minute) {
    int h, m, used = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d%n", &h, &m, &used) != 2 ||
        used != static_cast<int>(text.size()))
        return false;
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    *hour = h;
    *minute = m;
    return true;
}

std::optional<int> ParseCount(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    int n = std::stoi(text);
    if (n < low || n > high) return std::nullopt;
    return n;
}

std::string TimeText(const Schedule& s) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", s.hour % 24, s.minute % 60);
    return text;
}

const char* KindWord(Schedule::Kind kind) {
    switch (kind) {
        case Schedule::Kind::Daily:
            return "daily";
        case Schedule::Kind::Weekly:
            return "weekly";
        case Schedule::Kind::Every:
            return "every";
        case Schedule::Kind::Off:
            break;
    }
    return "off";
}

}  // namespace

int DayNumber(const std::string& word) {
    for (int i = 0; i < 7; ++i) {
        const DayNames& d = kDays[static_cast<size_t>(i)];
        if (Same(word, d.short_en) || Same(word, d.long_en) || Same(word, d.short_nl) ||
            Same(word, d.long_nl))
            return i;
    }
    return -1;
}

std::int64_t Schedule::OverdueSeconds() const {
    constexpr std::int64_t hour_s = 3600, day_s = 24 * hour_s, week_s = 7 * day_s;
    switch (kind) {
        case Kind::Daily:
            return day_s + 12 * hour_s;
        case Kind::Weekly:
            return week_s + day_s;
        case Kind::Every:
            return hours * hour_s + std::max<std::int64_t>(hours * hour_s / 2, hour_s);
        case Kind::Off:
            break;
    }
    return week_s;
}

Schedule ReadSchedule(const std::string& drv_path, std::string* problem) {
    Schedule s;
    IniFile ini = IniFile::Read(drv_path);
    auto fault = [&](const char* key, const std::string& value) {
        if (problem)
            *problem = Printf(_("De waarde %s=%s in %s is niet te gebruiken; de lijst wordt niet "
                                "vanzelf gemaakt."),
                              key, value.c_str(), drv_path.c_str());
        return Schedule{};
    };
    const std::string kind = ini.Text(kSection, "Kind").value_or("off");
    const std::string time = ini.Text(kSection, "Time").value_or("00:00");
    if (Same(kind, "daily") || Same(kind, "weekly")) {
        s.kind = Same(kind, "daily") ? Schedule::Kind::Daily : Schedule::Kind::Weekly;
        if (!ParseTime(time, &s.hour, &s.minute)) return fault("Time", time);
        if (s.kind == Schedule::Kind::Weekly) {
            const std::string day = ini.Text(kSection, "Day").value_or("");
            s.day = DayNumber(day);
            if (s.day < 0) return fault("Day", day);
        }
    } else if (Same(kind, "every")) {
        s.kind = Schedule::Kind::Every;
        const std::string hours = ini.Text(kSection, "Hours").value_or("");
        auto n = ParseCount(hours, 1, kMaxEveryHours);
        if (!n) return fault("Hours", hours);
        s.hours = *n;
    } else if (!Same(kind, "off")) {
        return fault("Kind", kind);
    }
    s.on_plug = ini.Bool(kSection, "OnPlug", false);
    const std::string min_hours = ini.Text(kSection, "MinHours").value_or("24");
    auto n = ParseCount(min_hours, 0, 9999);
    if (!n) return fault("MinHours", min_hours);
    s.min_hours = *n;
    return s;
}

void WriteSchedule(const std::string& drv_path, const Schedule& s) {
    IniFile ini = IniFile::ForWrite(drv_path);
    ini.RemoveSection(kSection);
    if (s.Used()) {
        ini.Set(kSection, "Kind", KindWord(s.kind));
        if (s.kind == Schedule::Kind::Daily || s.kind == Schedule::Kind::Weekly)
            ini.Set(kSection, "Time", TimeText(s));
        if (s.kind == Schedule::Kind::Weekly)
            ini.Set(kSection, "Day", kDays[static_cast<size_t>(s.day)].short_en);
        if (s.kind == Schedule::Kind::Every) ini.SetInteger(kSection, "Hours", s.hours);
        ini.SetBool(kSection, "OnPlug", s.on_plug);
        ini.SetInteger(kSection, "MinHours", s.min_hours);
    }
    ini.Write();
}

std::optional<Schedule> ParseScheduleWords(const std::vector<std::string>& words,
                                           const Schedule& base, std::string* error) {
    Schedule s;
    s.on_plug = base.on_plug;
    s.min_hours = base.min_hours;
    const size_t n = words.size();
    auto wrong = [&](std::string why) -> std::optional<Schedule> {
        *error = std::move(why);
        return std::nullopt;
    };
    const std::string kind = n ? words[0] : "";
    if (kind == "off" && n == 1) return s;
    if (kind == "daily" && n == 2) {
        s.kind = Schedule::Kind::Daily;
        if (!ParseTime(words[1], &s.hour, &s.minute))
            return wrong(Printf(_("%s is geen tijd van de vorm UU:MM."), words[1].c_str()));
        return s;
    }
    if (kind == "weekly" && n == 3) {
        s.kind = Schedule::Kind::Weekly;
        s.day = DayNumber(words[1]);
        if (s.day < 0)
            return wrong(
                Printf(_("%s is geen dag van de week (mon..sun of ma..zo)."), words[1].c_str()));
        if (!ParseTime(words[2], &s.hour, &s.minute))
            return wrong(Printf(_("%s is geen tijd van de vorm UU:MM."), words[2].c_str()));
        return s;
    }
    if (kind == "every" && n == 2) {
        s.kind = Schedule::Kind::Every;
        auto hours = ParseCount(words[1], 1, kMaxEveryHours);
        if (!hours)
            return wrong(
                Printf(_("Het aantal uren moet van 1 tot en met %d zijn."), kMaxEveryHours));
        s.hours = *hours;
        return s;
    }
    return wrong(_("Gebruik: off, daily UU:MM, weekly DAG UU:MM of every N."));
}

std::string ScheduleWords(const Schedule& s) {
    switch (s.kind) {
        case Schedule::Kind::Daily:
            return "daily " + TimeText(s);
        case Schedule::Kind::Weekly:
            return std::string("weekly ") + kDays[static_cast<size_t>(s.day)].short_en + " " +
                   TimeText(s);
        case Schedule::Kind::Every:
            return "every " + std::to_string(s.hours);
        case Schedule::Kind::Off:
            break;
    }
    return "off";
}

std::string ScheduleText(const Schedule& s) {
    std::string text;
    switch (s.kind) {
        case Schedule::Kind::Daily:
            text = Printf(_("dagelijks om %s"), TimeText(s).c_str());
            break;
        case Schedule::Kind::Weekly:
            text = Printf(_("elke %s om %s"), _(kDays[static_cast<size_t>(s.day)].long_nl),
                          TimeText(s).c_str());
            break;
        case Schedule::Kind::Every:
            text = Printf(_("elke %d uur"), s.hours);
            break;
        case Schedule::Kind::Off:
            break;
    }
    if (s.on_plug) {
        std::string plug = Printf(_("bij aansluiten van de doeldrive (na %d uur)"), s.min_hours);
        text = text.empty() ? plug : text + ", " + plug;
    }
    return text.empty() ? _("niet vanzelf") : text;
}

std::string CalendarSpec(const Schedule& s) {
    switch (s.kind) {
        case Schedule::Kind::Daily:
            return "*-*-* " + TimeText(s) + ":00";
        case Schedule::Kind::Weekly:
            return std::string(kDays[static_cast<size_t>(s.day)].short_en) + " *-*-* " +
                   TimeText(s) + ":00";
        case Schedule::Kind::Every:
            return s.hours >= 24 ? "*-*-* 00:00:00"
                                 : "*-*-* 00/" + std::to_string(s.hours) + ":00:00";
        case Schedule::Kind::Off:
            break;
    }
    return "";
}

std::string CrontabFields(const Schedule& s) {
    const std::string at = std::to_string(s.minute) + " " + std::to_string(s.hour);
    switch (s.kind) {
        case Schedule::Kind::Daily:
            return at + " * * *";
        case Schedule::Kind::Weekly:
            return at + " * * " + std::to_string((s.day + 1) % 7);
        case Schedule::Kind::Every:
            return s.hours >= 24 ? "0 0 * * *" : "0 */" + std::to_string(s.hours) + " * * *";
        case Schedule::Kind::Off:
            break;
    }
    return "";
}

}  // namespace vaultor
