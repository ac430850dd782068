#include "app/schedule_units.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "fs/atomic_write.h"
#include "fs/child_process.h"
#include "fs/i18n.h"
#include "lists/list_file.h"

namespace vaultor {
namespace {

using namespace std::chrono_literals;
constexpr auto kSystemctlLimit = 20s;

std::string Home() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return config && *config ? config : Home() + "/.config";
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string Hex(unsigned value, int digits) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

// FNV-1a: stable across builds and machines, unlike std::hash.
std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Whether systemd takes the text as it is: unit files are UTF-8.
bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (c >= 0x80) {
            if ((c >> 5) == 6)
                extra = 1;
            else if ((c >> 4) == 14)
                extra = 2;
            else if ((c >> 3) == 30)
                extra = 3;
            else
                return false;
        }
        if (i + extra >= text.size() && extra) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += extra + 1;
    }
    return true;
}

// One argument of a unit's command line: in double quotes, with what systemd
// would take as a specifier or a variable doubled, and a name that is no
// UTF-8 in \xNN escapes, which systemd turns back into its bytes.
std::string UnitArgument(const std::string& text) {
    const bool escape_high = !ValidUtf8(text);
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + static_cast<char>(c);
        else if (c == '%')
            out += "%%";
        else if (c == '$')
            out += "$$";
        else if (c < 0x20 || c == 0x7f || (escape_high && c >= 0x80))
            out += "\\x" + Hex(c, 2);
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}

// One argument of a shell command line; a crontab also takes "%" as a line end.
std::string ShellArgument(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else if (c == '%')
            out += "\\%";
        else
            out += c;
    }
    return out + "'";
}

// One argument of a desktop entry's Exec line.
std::string DesktopArgument(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        // The value's own escapes are undone before the quoting's: a
        // backslash takes four, the other three characters two.
        if (c == '\\')
            out += "\\\\\\";
        else if (c == '"' || c == '`' || c == '$')
            out += "\\\\";
        if (c == '%')
            out += "%%";
        else
            out += c;
    }
    return out + "\"";
}

// A unit's Description: one line of UTF-8, with no specifier in it.
std::string UnitValue(const std::string& text) {
    const bool replace_high = !ValidUtf8(text);
    std::string out;
    for (unsigned char c : text) {
        if (c == '%')
            out += "%%";
        else if (c < 0x20 || c == 0x7f)
            out += ' ';
        else
            out += replace_high && c >= 0x80 ? '?' : static_cast<char>(c);
    }
    return out;
}

std::string CommandOf(const std::string& program_dir, const std::string& tail,
                      std::string (*quote)(const std::string&)) {
    return quote(CliProgram()) + " --program-dir " + quote(program_dir) + tail;
}

std::string Unit(const std::string& name, const char* suffix) {
    return UserUnitFolder() + "/" + name + suffix;
}

std::string AutostartFile(const std::string& program_dir) {
    return ConfigFolder() + "/autostart/" + WatchUnitName(program_dir) + ".desktop";
}

bool WriteUnitFile(const std::string& path, const std::string& text, UnitsOutcome* outcome) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (fs::WriteFileAtomically(path, text)) return true;
    outcome->ok = false;
    outcome->lines.push_back(Printf(_("Het bestand %s kon niet worden geschreven."), path.c_str()));
    return false;
}

bool RemoveFile(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

// A user manager answers on the user's bus; without one there is nothing to
// enable the units in.
bool HasUserManager() {
    auto r = fs::RunChild({"systemctl", "--user", "show-environment"}, kSystemctlLimit);
    return r.finished && r.status == 0;
}

bool Systemctl(const std::vector<std::string>& words, UnitsOutcome* outcome) {
    std::vector<std::string> argv{"systemctl", "--user"};
    argv.insert(argv.end(), words.begin(), words.end());
    auto r = fs::RunChild(argv, kSystemctlLimit);
    if (r.finished && r.status == 0) return true;
    std::string command;
    for (const auto& w : argv) command += (command.empty() ? "" : " ") + w;
    outcome->ok = false;
    outcome->lines.push_back(Printf(_("%s is niet gelukt: %s"), command.c_str(),
                                    r.started ? r.output.c_str() : _("niet gevonden")));
    return false;
}

// The watcher's service is there, and enabled, exactly while a list wants it.
void ApplyWatcher(const std::string& program_dir, bool manager, UnitsOutcome* outcome) {
    const std::string name = WatchUnitName(program_dir);
    const std::string service = Unit(name, ".service");
    const std::string autostart = AutostartFile(program_dir);
    const bool wanted = AnyListWantsWatcher(program_dir);
    if (wanted) {
        if (manager) {
            if (WriteUnitFile(service, WatchServiceText(program_dir), outcome) &&
                Systemctl({"daemon-reload"}, outcome))
                Systemctl({"enable", "--now", name + ".service"}, outcome);
        } else {
            std::string entry = "[Desktop Entry]\nType=Application\nName=" +
                                std::string(_("Vaultor: back-up bij aansluiten")) +
                                "\nExec=" + CommandOf(program_dir, " watch", DesktopArgument) +
                                "\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
            if (WriteUnitFile(autostart, entry, outcome))
                outcome->lines.push_back(Printf(
                    _("Vanaf de volgende aanmelding start %s de wachter op het aansluiten "
                      "van de doeldrive; start hem nu met: %s"),
                    autostart.c_str(), CommandOf(program_dir, " watch &", ShellArgument).c_str()));
        }
        return;
    }
    if (Exists(service)) {
        if (manager) Systemctl({"disable", "--now", name + ".service"}, outcome);
        RemoveFile(service);
        if (manager) Systemctl({"daemon-reload"}, outcome);
    }
    RemoveFile(autostart);
}

// Where no user manager runs the user put a crontab line in by hand.
std::string CrontabAdvice(const std::string& list) {
    return Printf(_("Haal de regel die \"run %s\" start uit uw crontab (crontab -e)."),
                  list.c_str());
}

void RemoveListUnitFiles(const std::string& program_dir, const std::string& list, bool manager,
                         UnitsOutcome* outcome) {
    const std::string name = ListUnitName(program_dir, list);
    if (!Exists(Unit(name, ".timer")) && !Exists(Unit(name, ".service"))) return;
    if (manager) Systemctl({"disable", "--now", name + ".timer"}, outcome);
    RemoveFile(Unit(name, ".timer"));
    RemoveFile(Unit(name, ".service"));
}

}  // namespace

std::string SystemdEscape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '/')
            out += '-';
        else if (std::isalnum(c) || c == ':' || c == '_' || (c == '.' && i > 0))
            out += static_cast<char>(c);
        else
            out += "\\x" + Hex(c, 2);
    }
    return out;
}

std::string ProgramDirTag(const std::string& program_dir) {
    std::string folder = program_dir;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return Hex(static_cast<unsigned>(Fnv1a(folder) & 0xffffffffu), 8);
}

std::string ListUnitName(const std::string& program_dir, const std::string& list) {
    std::string escaped = SystemdEscape(list);
    // A unit name holds at most 255 bytes: a long list name is cut, and a hash
    // of the whole keeps it apart from others cut the same.
    if (escaped.size() > 180)
        escaped = escaped.substr(0, 160) + "_" + Hex(static_cast<unsigned>(Fnv1a(list)), 8);
    return "vaultor-" + escaped + "-" + ProgramDirTag(program_dir);
}

std::string WatchUnitName(const std::string& program_dir) {
    return "vaultor-watch-" + ProgramDirTag(program_dir);
}

std::string UserUnitFolder() {
    return ConfigFolder() + "/systemd/user";
}

std::string CliProgram() {
    std::string beside = fs::OwnProgramFolder() + "vaultor-cli";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin";
    for (size_t at = 0; at <= dirs.size();) {
        size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(at, end - at) + "/vaultor-cli";
        if (end > at && candidate.front() == '/' && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "/usr/bin/vaultor-cli";
}

std::string ListServiceText(const std::string& program_dir, const std::string& list) {
    return "[Unit]\nDescription=" +
           UnitValue(Printf(_("Vaultor: back-up van de lijst %s"), list.c_str())) +
           "\nDocumentation=man:vaultor-cli(1)\n\n[Service]\nType=oneshot\nExecStart=" +
           CommandOf(program_dir, " run " + UnitArgument(list) + " --notify", UnitArgument) +
           "\nNice=10\nIOSchedulingClass=idle\n";
}

std::string ListTimerText(const std::string& program_dir, const std::string& list,
                          const Schedule& schedule) {
    return "[Unit]\nDescription=" +
           UnitValue(Printf(_("Vaultor: back-up van de lijst %s"), list.c_str())) +
           "\n\n[Timer]\nOnCalendar=" + CalendarSpec(schedule) +
           "\nPersistent=true\nUnit=" + ListUnitName(program_dir, list) +
           ".service\n\n[Install]\nWantedBy=timers.target\n";
}

std::string WatchServiceText(const std::string& program_dir) {
    return "[Unit]\nDescription=" + std::string(_("Vaultor: back-up bij aansluiten")) +
           "\nDocumentation=man:vaultor-cli(1)\n\n[Service]\nExecStart=" +
           CommandOf(program_dir, " watch", UnitArgument) +
           "\nRestart=on-failure\nRestartSec=30\n\n[Install]\nWantedBy=default.target\n";
}

std::string CrontabLine(const std::string& program_dir, const std::string& list,
                        const Schedule& schedule) {
    return CrontabFields(schedule) + " " +
           CommandOf(program_dir, " run " + ShellArgument(list) + " --notify", ShellArgument);
}

namespace {

// The same, with whether a user manager answers already asked.
UnitsOutcome ApplyScheduleWith(const std::string& program_dir, const std::string& list,
                               const Schedule& schedule, bool manager) {
    UnitsOutcome outcome;
    // A line end in a name would end a line of a unit, a crontab or an entry.
    auto control = [](const std::string& text) {
        return std::any_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    };
    if (schedule.Used() && (control(program_dir) || control(list))) {
        outcome.ok = false;
        outcome.lines.push_back(
            _("De naam van de lijst of de programmamap bevat een stuurteken; zo'n lijst kan "
              "niet vanzelf worden gemaakt."));
        return outcome;
    }
    const std::string name = ListUnitName(program_dir, list);
    if (schedule.kind == Schedule::Kind::Off) {
        RemoveListUnitFiles(program_dir, list, manager, &outcome);
    } else if (WriteUnitFile(Unit(name, ".service"), ListServiceText(program_dir, list),
                             &outcome) &&
               WriteUnitFile(Unit(name, ".timer"), ListTimerText(program_dir, list, schedule),
                             &outcome)) {
        if (manager) {
            if (Systemctl({"daemon-reload"}, &outcome))
                Systemctl({"enable", "--now", name + ".timer"}, &outcome);
        } else {
            outcome.lines.push_back(
                _("Er is geen systemd-gebruikersbeheer om het schema uit te voeren. Zet deze "
                  "regel in uw crontab (crontab -e):"));
            outcome.lines.push_back(CrontabLine(program_dir, list, schedule));
        }
    }
    if (manager && schedule.kind == Schedule::Kind::Off) Systemctl({"daemon-reload"}, &outcome);
    ApplyWatcher(program_dir, manager, &outcome);
    return outcome;
}

}  // namespace

UnitsOutcome ApplySchedule(const std::string& program_dir, const std::string& list,
                           const Schedule& schedule) {
    return ApplyScheduleWith(program_dir, list, schedule, HasUserManager());
}

UnitsOutcome MoveScheduleUnits(const std::string& program_dir, const std::string& from,
                               const std::string& to) {
    Schedule schedule = ReadSchedule(program_dir + to + ".drv");
    const std::string old_name = ListUnitName(program_dir, from);
    if (!schedule.Used() && !Exists(Unit(old_name, ".timer"))) return {};
    UnitsOutcome outcome;
    const bool manager = HasUserManager();
    RemoveListUnitFiles(program_dir, from, manager, &outcome);
    if (!manager) outcome.lines.push_back(CrontabAdvice(from));
    UnitsOutcome applied = ApplyScheduleWith(program_dir, to, schedule, manager);
    outcome.ok &= applied.ok;
    outcome.lines.insert(outcome.lines.end(), applied.lines.begin(), applied.lines.end());
    return outcome;
}

UnitsOutcome RemoveScheduleUnits(const std::string& program_dir, const std::string& list) {
    const std::string name = ListUnitName(program_dir, list);
    const bool had_units = Exists(Unit(name, ".timer"));
    const bool watcher =
        Exists(Unit(WatchUnitName(program_dir), ".service")) || Exists(AutostartFile(program_dir));
    if (!had_units && !watcher) return {};
    UnitsOutcome outcome;
    const bool manager = HasUserManager();
    RemoveListUnitFiles(program_dir, list, manager, &outcome);
    if (!manager && had_units) outcome.lines.push_back(CrontabAdvice(list));
    ApplyWatcher(program_dir, manager, &outcome);
    return outcome;
}

bool AnyListWantsWatcher(const std::string& program_dir) {
    for (const auto& list : ListNames(program_dir))
        if (ReadSchedule(program_dir + list + ".drv").Used()) return true;
    return false;
}

}  // namespace vaultor
