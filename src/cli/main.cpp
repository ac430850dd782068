// vaultor-cli: the terminal front end over the same core as the window.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/plug_watch.h"
#include "app/schedule_units.h"
#include "app/start.h"
#include "cli/commands.h"
#include "cli/restore_commands.h"
#include "cli/terminal_ui.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "state/settings.h"
#include "version.h"

namespace {

using namespace vaultor;

constexpr const char* kUsage =
    N_("vaultor-cli [--program-dir MAP] [--drive X=MAP[,kind=N][,label=TEKST][,mounted]]... "
       "[--yes|--no] [--ignore-time-shift on|off] OPDRACHT\n"
       "  drives | lists | show LIJST | totals LIJST | info LIJST MAP | new LIJST [MAP]...\n"
       "  add LIJST MAP | remove LIJST MAP | rename LIJST NIEUWENAAM | delete LIJST\n"
       "  import BESTAND | target LIJST X [--lock|--unlock] | start LIJST\n"
       "  test LIJST [--content] | run LIJST [--notify] | status | watch | sums LIJST on|off\n"
       "  schedule LIJST [off|daily UU:MM|weekly DAG UU:MM|every N] | onplug LIJST on [UREN]|off\n"
       "  keep LIJST on [DAGEN]|off | movedeleted LIJST on [PROCENT]|off | start LIJST "
       "--allow-mass-move\n"
       "  restore LIJST PAD [--version \"JJJJ-MM-DD UUMMSS\"] [--to MAP] [--overwrite]\n"
       "  restore --from X: PAD --to MAP [--version ...] [--overwrite]\n"
       "  versions LIJST PAD | versions --from X: PAD\n"
       "vaultor-cli --help | --version");

struct Arguments {
    std::vector<fs::DriveMapping> drives;
    std::vector<std::string> drive_texts;  // as given, for the runs a watch starts
    cli::Command command;
    cli::TerminalUi::Answers answers = cli::TerminalUi::Answers::Ask;
    bool help = false;
};

// Exits with status 2 and one line that names what is wrong.
[[noreturn]] void UsageError(const std::string& what) {
    std::fprintf(stderr, "vaultor-cli: %s\n", cli::TerminalUi::Printable(what).c_str());
    std::exit(2);
}

fs::DriveMapping DriveOption(const std::string& text) {
    try {
        return DriveArgument(text);
    } catch (const std::invalid_argument& e) {
        UsageError(e.what());
    }
}

Arguments Parse(int argc, char** argv) {
    Arguments a;
    bool yes = false, no = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) {
            if (i + 1 >= argc) UsageError(Printf(_("%s verwacht een waarde."), name));
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--program-dir") {
            value("--program-dir");  // taken already
        } else if (arg == "--drive") {
            a.drive_texts.push_back(value("--drive"));
            a.drives.push_back(DriveOption(a.drive_texts.back()));
        } else if (arg == "--yes") {
            yes = true;
        } else if (arg == "--no") {
            no = true;
        } else if (arg == "--ignore-time-shift") {
            std::string on = value("--ignore-time-shift");
            if (on != "on" && on != "off") UsageError(_("--ignore-time-shift verwacht on of off."));
            a.command.ignore_time_shift = on == "on";
        } else if (arg == "--allow-mass-move") {
            a.command.allow_mass_move = true;
        } else if (arg == "--notify") {
            a.command.notify = true;
        } else if (arg == "--content") {
            a.command.content = true;
        } else if (arg == "--lock") {
            a.command.lock = true;
        } else if (arg == "--unlock") {
            a.command.unlock = true;
        } else if (arg == "--version") {
            a.command.version = value("--version");
        } else if (arg == "--to") {
            a.command.to = value("--to");
        } else if (arg == "--from") {
            a.command.from = value("--from");
        } else if (arg == "--overwrite") {
            a.command.overwrite = true;
        } else if (arg.rfind("--", 0) == 0) {
            UsageError(Printf(_("Onbekende optie %s; zie --help."), arg.c_str()));
        } else if (a.command.name.empty()) {
            a.command.name = arg;
        } else {
            a.command.args.push_back(arg);
        }
    }
    if (a.command.notify && a.command.name != "run") UsageError(_("--notify hoort bij run."));
    if (a.command.allow_mass_move && a.command.name != "start")
        UsageError(_("--allow-mass-move hoort bij start."));
    if (a.command.content && a.command.name != "test") UsageError(_("--content hoort bij test."));
    if (yes && no) UsageError(_("--yes en --no gaan niet samen."));
    if (a.command.lock && a.command.unlock) UsageError(_("--lock en --unlock gaan niet samen."));
    if ((a.command.lock || a.command.unlock) && a.command.name != "target")
        UsageError(_("--lock en --unlock horen bij target."));
    if ((a.command.version || a.command.to || a.command.overwrite) && a.command.name != "restore")
        UsageError(_("--version, --to en --overwrite horen bij restore."));
    if (a.command.from && a.command.name != "restore" && a.command.name != "versions")
        UsageError(_("--from hoort bij restore en versions."));
    if (a.command.ignore_time_shift && (a.command.name == "drives" || a.command.name == "lists"))
        UsageError(_("--ignore-time-shift hoort bij een opdracht met een lijst."));
    // Folders and files the user names are made absolute now: the program works
    // from its own folder later.
    auto& c = a.command;
    auto absolute = [](std::string& path) {
        bool letter_form = path.size() >= 2 && path[1] == ':';
        if (!letter_form && !path.empty() && path.front() != '/')
            path = (std::filesystem::current_path() / path).lexically_normal().string();
    };
    if (c.name == "new")
        for (size_t i = 1; i < c.args.size(); ++i) absolute(c.args[i]);
    if ((c.name == "add" || c.name == "remove" || c.name == "info") && c.args.size() == 2)
        absolute(c.args[1]);
    if (c.name == "import" && c.args.size() == 1) absolute(c.args[0]);
    if ((c.name == "restore" || c.name == "versions") && !c.args.empty()) absolute(c.args.back());
    if (c.to) absolute(*c.to);
    a.answers = yes ? cli::TerminalUi::Answers::Yes
                    : (no ? cli::TerminalUi::Answers::No : cli::TerminalUi::Answers::Ask);
    return a;
}

std::string Printable(std::string_view text) {
    return cli::TerminalUi::Printable(text);
}

int ListDrives(const StartedProgram& program) {
    for (char letter : fs::Drives().Letters()) {
        fs::DriveInfo info = fs::Drives().Info(letter);
        bool ready = fs::IsDriveReady(letter);
        std::string label = "-";
        fs::GetVolumeLabel(letter, label);
        std::printf("%c:\t%d\t%s\t%s\t%lld\t%lld\t%s\n", letter, fs::GetDriveKind(letter),
                    ready ? _("gereed") : _("niet gereed"), Printable(label).c_str(),
                    static_cast<long long>(fs::GetDriveTotalBytes(letter)),
                    static_cast<long long>(fs::GetDriveFreeBytes(letter)),
                    Printable(info.folder).c_str());
    }
    if (program.settings.FileProblem.size())
        std::fprintf(stderr, "%s\n", Printable(program.settings.FileProblem).c_str());
    std::string aside = RecordNewDrives(program);
    if (!aside.empty()) std::fprintf(stderr, "%s\n", Printable(aside).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksForVersion(argc, argv)) {
        std::printf("vaultor-cli %s\n", VAULTOR_VERSION);
        return 0;
    }
    try {
        try {
            TakeProgramDirOption(argc, argv);
        } catch (const std::invalid_argument& e) {
            UsageError(e.what());
        }
        StartedProgram program = StartProgram();
        Arguments args = Parse(argc, argv);
        if (args.help) {
            std::printf("%s\n", _(kUsage));
            return 0;
        }
        const std::string& name = args.command.name;
        if (name.empty()) UsageError(Printf(_("Geen opdracht gegeven; gebruik: %s"), "--help"));
        std::string usage;
        if (name != "drives" && name != "status" && name != "watch" &&
            !cli::KnownCommand(name, args.command.args.size(), &usage)) {
            if (usage.empty())
                UsageError(Printf(_("Onbekende opdracht %s; zie --help."), name.c_str()));
            UsageError(Printf(_("Gebruik: vaultor-cli %s"), usage.c_str()));
        }
        StartOptions options;
        options.drives = args.drives;
        StartDriveTable(program, options);
        if (name == "status") {
            if (!args.command.args.empty())
                UsageError(Printf(_("Gebruik: vaultor-cli %s"), "status"));
            return cli::ListStatuses(program);
        }
        if (name == "watch") {
            if (!args.command.args.empty())
                UsageError(Printf(_("Gebruik: vaultor-cli %s"), "watch"));
            std::vector<std::string> run{CliProgram(), "--program-dir", program.ProgramDir};
            for (const auto& drive : args.drive_texts) run.insert(run.end(), {"--drive", drive});
            return WatchForDrives(program.ProgramDir, run);
        }
        if (name == "schedule" || name == "onplug") return cli::SetSchedule(program, args.command);
        if (name == "keep" || name == "movedeleted" || name == "sums")
            return cli::SetVersions(program, args.command);
        if (name == "restore") return cli::RestoreFromTarget(program, args.command);
        if (name == "versions") return cli::ListVersions(program, args.command);
        if (name == "drives") {
            if (!args.command.args.empty())
                UsageError(Printf(_("Gebruik: vaultor-cli %s"), "drives"));
            return ListDrives(program);
        }
        cli::TerminalUi ui(args.answers);
        fs::SetMessagePump(&ui);
        int status = cli::RunListCommand(program, ui, args.command);
        fs::SetMessagePump(nullptr);
        return status;
    } catch (const cli::Unanswerable& e) {
        std::fprintf(stderr, "vaultor-cli: %s\n", Printable(e.what()).c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vaultor-cli: %s\n", Printable(e.what()).c_str());
        return 1;
    }
}
