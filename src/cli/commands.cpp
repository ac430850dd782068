#include "cli/commands.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/check.h"
#include "app/desktop_bus.h"
#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/run_logs.h"
#include "app/run_status.h"
#include "app/schedule_units.h"
#include "app/start_run.h"
#include "app/totals.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "lists/inclusion.h"
#include "lists/list_loading.h"
#include "state/app_state.h"
#include "state/ini_file.h"
#include "state/schedule.h"
#include "state/versions_settings.h"
#include "target/drive_box.h"
#include "target/drive_record.h"

namespace vaultor::cli {
namespace {

using Button = UserInterface::NameAnswer::Button;

void Say(const std::string& text) {
    TerminalUi::PrintLines(text);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// A folder in letter form ("E:\Data", "E:\"), or an absolute native path turned into it.
std::string LetterForm(const std::string& folder) {
    std::string path = folder;
    if (!(path.size() >= 2 && path[1] == ':')) {
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        path = fs::Drives().ToLetterPath(path);
    } else if (path.size() > 2 && path[2] != '\\') {
        path.insert(2, "\\");  // "S:Data", as a shell leaves S:\Data, is meant from the root
    }
    return NormalisedFolder(path);
}

bool InList(const std::vector<std::string>& items, const std::string& folder) {
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& line) { return SamePath(line, folder); });
}

// The folder picker offers folders that exist, nothing else.
bool PickableFolder(const std::string& folder) {
    if (std::string unsafe = UnsafeFolderMessage(folder); !unsafe.empty()) {
        Say(unsafe);
        return false;
    }
    if (ListFolderExists(folder)) return true;
    Say(Printf(_("De map %s bestaat niet of is geen map."), folder.c_str()));
    return false;
}

class Session {
  public:
    Session(const StartedProgram& program, TerminalUi& ui) : ui_(ui), state_(ui) {
        ui_.pane = &state_.Model.RichEdit1;
        FormCreate(state_, program);
        FormShow(state_);
        TellSettingsProblem(state_);
        state_.StartingUp = false;
        Load_VLT_Files(state_);
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { ui_.pane = nullptr; }

    // Loads a list as a pick in the list box does.
    void Load(const std::string& name, bool totals = true) {
        auto& box = state_.Model.ComboBox1;
        box.caption = name;
        for (size_t i = 0; i < box.items.size(); ++i)
            if (box.items[i] == name) box.selected = static_cast<int>(i);
        ComboBox1Click(state_, totals);
        PrintPane();
    }

    bool HasList(const std::string& name) const {
        return Exists(state_.ProgramDir + name + ".vlt");
    }

    void PrintPane() { ui_.PrintNewPaneLines(); }

    // As the window closes: list saved, companion file and settings written.
    // A change that did not reach the list file is no success.
    int Close(int status, bool remember_list = true) {
        PrintPane();
        bool saved = VLTOpslaan(state_);
        if (!FormClose(state_, remember_list)) return 1;
        return saved ? status : 1;
    }

    AppState& State() { return state_; }

    // As a tick in the option list: the settings written at close keep it.
    void SetIgnoreTimeShift(bool on) {
        state_.Model.OptionChecks[11] = on;
        vaultor::SetIgnoreTimeShift(state_.Ini, on);
    }

  private:
    TerminalUi& ui_;
    AppState state_;
};

int Lists(Session& s) {
    for (const auto& name : s.State().Model.ComboBox1.items) Say(name);
    return 0;
}

int Show(Session& s) {
    auto& st = s.State();
    const auto& absent = st.Model.ListBox1NotPresent;
    for (const auto& folder : st.Model.ListBox1.items)
        Say(std::find(absent.begin(), absent.end(), folder) == absent.end()
                ? folder
                : folder + _(" (niet aanwezig: de drive is niet gereed)"));
    Say(_("Doeldrive: ") + st.TargetRoot.substr(0, 2) +
        (st.Model.Locked ? _(" (vergrendeld)") : std::string()));
    SB_MousInfoMouseDown(st);
    for (size_t i = 1; i < st.Model.Memo1.size(); ++i) Say(st.Model.Memo1[i]);
    SB_MousInfoMouseUp(st);
    return 0;
}

int Totals(Session& s) {
    auto& m = s.State().Model;
    Say(m.Label10.caption);
    for (const Control* label : {&m.Label2, &m.Label8, &m.Label3, &m.Label7})
        Say("  " + label->caption);
    Say(_("Extra nodig: ") + m.Label19.caption);
    return 0;
}

int SelectFolder(Session& s, const std::string& folder) {
    auto& box = s.State().Model.ListBox1;
    std::string wanted = LetterForm(folder);
    for (size_t i = 0; i < box.items.size(); ++i)
        if (SamePath(box.items[i], wanted)) {
            box.selected = static_cast<int>(i);
            return 0;
        }
    Say(Printf(_("De map %s staat niet in de lijst."), wanted.c_str()));
    return 1;
}

int Info(Session& s, const std::string& folder) {
    if (SelectFolder(s, folder) != 0) return 1;
    Toonmapinfolog1Click(s.State());
    return 0;
}

int New(Session& s, TerminalUi& ui, const std::string& name,
        const std::vector<std::string>& folders) {
    auto& st = s.State();
    if (s.HasList(name)) {
        Say(_("Lijstnaam bestaat al."));
        s.Load(name);  // the window would show that list now
        return 1;
    }
    std::vector<std::string> wanted;
    for (const auto& f : folders) {
        wanted.push_back(LetterForm(f));
        if (!PickableFolder(wanted.back())) return 1;
    }
    ui.name_answer = UserInterface::NameAnswer{Button::Ok, name};
    if (!wanted.empty()) ui.folder = wanted.front();
    Nieuwebronlijstmaken1Click(st);
    if (st.Model.ComboBox1.caption != name) return 1;
    for (size_t i = 1; i < wanted.size(); ++i) {
        ui.folder = wanted[i];
        MapBij1Click(st);
    }
    if (st.Model.ListBox1.items.empty()) {
        Say(Printf(_("De lijst %s heeft nog geen mappen; er is niets geschreven."), name.c_str()));
        return wanted.empty() ? 0 : 1;
    }
    bool all_in = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& f) {
        return InList(st.Model.ListBox1.items, f);
    });
    return all_in ? 0 : 1;
}

int Add(Session& s, TerminalUi& ui, const std::string& name, const std::string& folder) {
    if (!s.HasList(name)) return New(s, ui, name, {folder});
    s.Load(name);
    auto& st = s.State();
    std::string wanted = LetterForm(folder);
    if (!PickableFolder(wanted)) return 1;
    ui.folder = wanted;
    bool was_in = InList(st.Model.ListBox1.items, wanted);
    MapBij1Click(st);
    return !was_in && InList(st.Model.ListBox1.items, wanted) ? 0 : 1;
}

int Remove(Session& s, const std::string& folder) {
    if (SelectFolder(s, folder) != 0) return 1;
    const auto& box = s.State().Model.ListBox1.items;
    size_t before = box.size();
    Wisdemap1Click(s.State());
    // A list is never saved empty: its last folder stays in its file.
    if (box.empty()) {
        Say(Printf(_("Een lege lijst wordt niet opgeslagen: de lijst %s blijft zoals hij is."),
                   s.State().Model.ComboBox1.caption.c_str()));
        return 1;
    }
    return box.size() < before ? 0 : 1;
}

int Rename(Session& s, TerminalUi& ui, const std::string& new_name) {
    ui.name_answer = UserInterface::NameAnswer{Button::Ok, new_name};
    ComboBox1DblClick(s.State());
    return s.State().CurrentListFile == s.State().ProgramDir + new_name + ".vlt" ? 0 : 1;
}

int Delete(Session& s) {
    auto& st = s.State();
    std::string file = st.CurrentListFile;
    Bronlijstwissen1Click(st);
    if (Exists(file)) return 1;
    // LAST 0 names the list the window would show next.
    const auto& names = st.Model.ComboBox1.items;
    st.Model.ComboBox1.caption = names.empty() ? std::string() : names.front();
    return 0;
}

int Import(Session& s, TerminalUi& ui, const std::string& file) {
    ui.name_answer = UserInterface::NameAnswer{Button::Import, ""};
    ui.list_file = file;
    std::string before = s.State().Model.ComboBox1.caption;
    Nieuwebronlijstmaken1Click(s.State());
    std::string now = s.State().Model.ComboBox1.caption;
    return !now.empty() && now != before && s.HasList(now) ? 0 : 1;
}

int Target(Session& s, const Command& c) {
    auto& st = s.State();
    std::string letter_text = c.args[1];
    char letter = letter_text.empty() ? 0 : fs::NormaliseLetter(letter_text[0]);
    bool known = false;
    for (char l : fs::Drives().Letters()) known |= l == letter;
    if (!letter || !known || fs::GetDriveKind(letter) == fs::drive_kind::kNone) {
        Say(Printf(_("Er is geen drive %s."), letter_text.c_str()));
        return 1;
    }
    if (c.unlock) {
        st.Model.Locked = false;
        CB_LockedClick(st);
    }
    if (st.Model.Locked && SelectedDriveLetter(st) != letter) {
        Say(_("De doeldrive van deze lijst is vergrendeld; gebruik --unlock."));
        return 1;
    }
    SelectDrive(st, letter);
    DriveComboBox1Click(st);
    if (c.lock) {
        st.Model.Locked = true;
        CB_LockedClick(st);
    }
    // Stored now, whatever the close does with the list, so what is shown is
    // what the companion file holds.
    WriteVLTDriveInfoFile(st, st.CurrentDrvFile);
    return Show(s);
}

// Runs Start or "Test - Verifieer" with Ctrl-C as the Stop button and the
// run's progress on a line of its own.
template <typename Handler>
RunResult RunWithStop(Session& s, TerminalUi& ui, Handler handler) {
    ProgressLine line;
    ui.stop = [&] { SpB_StopClick(s.State()); };
    ui.progress = &line;
    TerminalUi::CatchInterrupts();
    RunResult result;
    try {
        result = handler(s.State(), &line);
    } catch (...) {
        TerminalUi::ReleaseInterrupts();
        ui.stop = nullptr;
        ui.progress = nullptr;
        throw;
    }
    TerminalUi::ReleaseInterrupts();
    ui.stop = nullptr;
    ui.progress = nullptr;
    return result;
}

// Another program's run in the program folder: an exit status of its own.
constexpr int kBusy = 3;

int StatusOf(const RunResult& result) {
    if (result.end == RunEnd::Busy) return kBusy;
    return result.AllBackedUp() ? 0 : 1;
}

int Start(Session& s, TerminalUi& ui) {
    return StatusOf(RunWithStop(
        s, ui, [](AppState& state, RunObserver* also) { return SpB_StartClick(state, also); }));
}

// A backup no one watches: it asks nothing (see SpB_StartClick), and what it
// said is kept with the list's last few.
int Run(Session& s, TerminalUi& ui, const std::string& list, bool notify) {
    std::vector<std::string> said;
    ui.transcript = &said;
    const std::time_t began = std::time(nullptr);
    RunResult result = RunWithStop(s, ui, [](AppState& state, RunObserver* also) {
        return SpB_StartClick(state, also, StartMode::Unattended);
    });
    s.PrintPane();
    ui.transcript = nullptr;
    const auto& st = s.State();
    if (!KeepRunLog(st.ProgramDir, list, said, began))
        Say(Printf(_("Het bestand %s kon niet worden geschreven."),
                   RunLogFolder(st.ProgramDir, list).c_str()));
    const int status = StatusOf(result);
    if (notify) NotifyDesktop(Printf(_("Vaultor: %s"), list.c_str()), RunOutcomeText(result));
    return status;
}

int Test(Session& s, TerminalUi& ui, bool content) {
    RunResult result = RunWithStop(s, ui, content ? TestReadingContent : SpBCompareClick);
    if (result.end == RunEnd::Busy) return kBusy;
    return result.end == RunEnd::Tested && result.differences == 0 ? 0 : 1;
}

}  // namespace

int ListStatuses(const StartedProgram& program) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(program.ProgramDir, ec))
        if (entry.path().extension() == ".vlt") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    const std::time_t now = std::time(nullptr);
    int overdue = 0;
    for (const auto& name : names) {
        const std::string drv = program.ProgramDir + name + ".drv";
        IniFile record = IniFile::Read(drv);
        std::string target = record.Text("Vaultor", "TheDrive").value_or("");
        ListStatus status = ReadListStatus(drv);
        std::optional<std::time_t> success = LastGoodBackup(drv);
        const bool late = Overdue(success, now, ReadSchedule(drv).OverdueSeconds());
        overdue += late;
        std::printf("%s\t%s\t%s\t%s\t%s\n", TerminalUi::Printable(name).c_str(),
                    target.empty() ? "-" : (target.substr(0, 1) + ":").c_str(),
                    success ? IsoTime(*success).c_str() : "-",
                    status.present ? status.last_attempt.c_str() : "-",
                    late ? _("te laat") : _("op tijd"));
    }
    return overdue ? 1 : 0;
}

std::optional<std::string> CompanionOf(const StartedProgram& program, const std::string& list) {
    if (::access((program.ProgramDir + list + ".vlt").c_str(), F_OK) != 0) {
        Say(Printf(_("Er is geen lijst %s."), list.c_str()));
        return std::nullopt;
    }
    return program.ProgramDir + list + ".drv";
}

namespace {

// "on [N]" or "off", the words after a list setting's list; nullopt for any
// other form. N, given only after "on", lies in low..high.
struct OnOff {
    bool on = false;
    std::optional<long> number;
};
std::optional<OnOff> ParseOnOff(const std::vector<std::string>& words, long low, long high) {
    if (words.empty() || words.size() > 2 || (words[0] != "on" && words[0] != "off"))
        return std::nullopt;
    OnOff parsed{words[0] == "on", std::nullopt};
    if (words.size() == 2) {
        char* end = nullptr;
        const long given = std::strtol(words[1].c_str(), &end, 10);
        if (!parsed.on || *end || words[1].empty() || given < low || given > high)
            return std::nullopt;
        parsed.number = given;
    }
    return parsed;
}

int WrongUse(const char* usage) {
    Say(Printf(_("Gebruik: vaultor-cli %s"), _(usage)));
    return 2;
}

}  // namespace

int SetSchedule(const StartedProgram& program, const Command& c) {
    const std::string& list = c.args[0];
    const auto companion = CompanionOf(program, list);
    if (!companion) return 1;
    const std::string& drv = *companion;
    std::string problem;
    Schedule schedule = ReadSchedule(drv, &problem);
    if (!problem.empty()) Say(problem);
    std::vector<std::string> words(c.args.begin() + 1, c.args.end());
    if (c.name == "schedule" && words.empty()) {
        Say(list + ": " + ScheduleText(schedule));
        return 0;
    }
    std::string error;
    if (c.name == "schedule") {
        auto wanted = ParseScheduleWords(words, schedule, &error);
        if (!wanted) {
            Say(error);
            return 2;
        }
        schedule = *wanted;
    } else if (auto plug = ParseOnOff(words, 0, 9999)) {
        schedule.on_plug = plug->on;
        if (plug->number) schedule.min_hours = static_cast<int>(*plug->number);
    } else {
        return WrongUse(N_("onplug LIJST on [UREN]|off"));
    }
    WriteSchedule(drv, schedule);
    UnitsOutcome outcome = ApplySchedule(program.ProgramDir, list, schedule);
    Say(list + ": " + ScheduleText(schedule));
    for (const auto& line : outcome.lines) Say(line);
    return outcome.ok ? 0 : 1;
}

int SetVersions(const StartedProgram& program, const Command& c) {
    const std::string& list = c.args[0];
    const auto companion = CompanionOf(program, list);
    if (!companion) return 1;
    const std::string& drv = *companion;
    const std::vector<std::string> words(c.args.begin() + 1, c.args.end());
    std::optional<OnOff> wanted;
    if (c.name == "keep")
        wanted = ParseOnOff(words, 1, kMaxVersionDays);
    else if (c.name == "movedeleted")
        wanted = ParseOnOff(words, 0, 100);
    else if (words.size() == 1)
        wanted = ParseOnOff(words, 0, 0);
    if (!wanted)
        return WrongUse(c.name == "keep"          ? N_("keep LIJST on [DAGEN]|off")
                        : c.name == "movedeleted" ? N_("movedeleted LIJST on [PROCENT]|off")
                                                  : N_("sums LIJST on|off"));
    std::string problem;
    VersionsSettings settings = ReadVersionsSettings(drv, &problem);
    if (!problem.empty()) Say(problem);
    const int number = static_cast<int>(wanted->number.value_or(0));
    if (c.name == "sums") {
        settings.sums = wanted->on;
        WriteVersionsSettings(drv, settings);
        Say(list + ": " +
            (settings.sums ? _("een controlegetal van elke kopie wordt bewaard")
                           : _("geen controlegetallen")));
        return 0;
    }
    if (c.name == "keep") {
        settings.keep = wanted->on;
        if (wanted->number) settings.days = number;
    } else {
        settings.move_deleted = wanted->on;
        if (wanted->number) settings.max_share = number;
    }
    WriteVersionsSettings(drv, settings);
    if (settings.keep)
        Say(Printf(_("%s: vervangen versies worden %d dagen bewaard."), list.c_str(),
                   settings.days));
    if (settings.move_deleted)
        Say(Printf(_("%s: wat niet meer in de bron staat, wordt naar de versies verplaatst "
                     "(zonder vragen tot %d%% van de kopie)."),
                   list.c_str(), settings.max_share));
    if (!settings.keep && !settings.move_deleted)
        Say(Printf(_("%s: er worden geen versies bewaard."), list.c_str()));
    return 0;
}

bool KnownCommand(const std::string& name, size_t args, std::string* usage) {
    struct Form {
        const char* name;
        size_t min, max;
        const char* usage;
    };
    static const Form forms[] = {
        {"lists", 0, 0, N_("lists")},
        {"show", 1, 1, N_("show LIJST")},
        {"totals", 1, 1, N_("totals LIJST")},
        {"info", 2, 2, N_("info LIJST MAP")},
        {"new", 1, 1000, N_("new LIJST [MAP]...")},
        {"add", 2, 2, N_("add LIJST MAP")},
        {"remove", 2, 2, N_("remove LIJST MAP")},
        {"rename", 2, 2, N_("rename LIJST NIEUWENAAM")},
        {"delete", 1, 1, N_("delete LIJST")},
        {"import", 1, 1, N_("import BESTAND")},
        {"target", 2, 2, N_("target LIJST X [--lock|--unlock]")},
        {"start", 1, 1, N_("start LIJST")},
        {"test", 1, 1, N_("test LIJST [--content]")},
        {"run", 1, 1, N_("run LIJST [--notify]")},
        {"schedule", 1, 4, N_("schedule LIJST [off|daily UU:MM|weekly DAG UU:MM|every N]")},
        {"onplug", 2, 3, N_("onplug LIJST on [UREN]|off")},
        {"keep", 2, 3, N_("keep LIJST on [DAGEN]|off")},
        {"movedeleted", 2, 3, N_("movedeleted LIJST on [PROCENT]|off")},
        {"restore", 1, 2,
         N_("restore LIJST PAD [--version \"JJJJ-MM-DD UUMMSS\"] [--to MAP] [--overwrite]")},
        {"versions", 1, 2, N_("versions LIJST PAD | versions --from X: PAD")},
        {"sums", 2, 2, N_("sums LIJST on|off")}};
    for (const auto& f : forms)
        if (name == f.name) {
            *usage = _(f.usage);
            return args >= f.min && args <= f.max;
        }
    usage->clear();
    return false;
}

int RunListCommand(const StartedProgram& program, TerminalUi& ui, const Command& c) {
    Session s(program, ui);
    const std::string& n = c.name;
    if (c.ignore_time_shift) s.SetIgnoreTimeShift(*c.ignore_time_shift);
    if (n == "lists") return Lists(s);
    if (n == "new") return s.Close(New(s, ui, c.args[0], {c.args.begin() + 1, c.args.end()}));
    if (n == "import") return s.Close(Import(s, ui, c.args[0]));
    if (n == "add") return s.Close(Add(s, ui, c.args[0], c.args[1]));
    if (!s.HasList(c.args[0])) {
        Say(Printf(_("Er is geen lijst %s."), c.args[0].c_str()));
        return 1;
    }
    ui.allow_mass_move = c.allow_mass_move;
    // Nothing is asked of an unattended run: a folder gone from the list stays.
    if (n == "run") ui.AnswerAll(TerminalUi::Answers::No);
    // Start and the test compute the totals themselves; loading does not.
    s.Load(c.args[0], n != "start" && n != "test" && n != "run");
    int status = 0;
    if (n == "show")
        status = Show(s);
    else if (n == "totals")
        status = Totals(s);
    else if (n == "info")
        status = Info(s, c.args[1]);
    else if (n == "remove")
        status = Remove(s, c.args[1]);
    else if (n == "rename")
        status = Rename(s, ui, c.args[1]);
    else if (n == "delete")
        status = Delete(s);
    else if (n == "target")
        status = Target(s, c);
    else if (n == "start")
        status = Start(s, ui);
    else if (n == "test")
        status = Test(s, ui, c.content);
    else if (n == "run")
        return s.Close(Run(s, ui, c.args[0], c.notify), false);
    return s.Close(status);
}

}  // namespace vaultor::cli
