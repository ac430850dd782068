// vaultor-cli: the terminal front end over the same core as the window.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/start.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "state/settings.h"

namespace {

using namespace vaultor;

constexpr const char* kUsage =
    "vaultor-cli [--program-dir MAP] [--drive X=MAP[,kind=N][,label=TEKST][,mounted]]... drives";

struct Arguments {
    std::vector<fs::DriveSpec> drives;
    std::string command;
    bool help = false;
};

// Exits with status 2 and one line that names what is wrong.
[[noreturn]] void UsageError(const std::string& what) {
    std::fprintf(stderr, "vaultor-cli: %s\n", what.c_str());
    std::exit(2);
}

// The program folder decides the language, so it is taken before anything is said.
void TakeProgramDir(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) != "--program-dir") continue;
        std::string dir = argv[i + 1];
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) UsageError("--program-dir " + dir + ": " + ec.message());
        ::setenv("VAULTOR_HOME", std::filesystem::absolute(dir).c_str(), 1);
    }
}

Arguments Parse(int argc, char** argv) {
    Arguments a;
    std::vector<std::string> raw_drives;
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
            raw_drives.push_back(value("--drive"));
        } else if (arg.rfind("--", 0) == 0) {
            UsageError(Printf(_("Onbekende optie %s; zie --help."), arg.c_str()));
        } else if (a.command.empty()) {
            a.command = arg;
        } else {
            UsageError(Printf(_("Onverwacht argument %s; zie --help."), arg.c_str()));
        }
    }
    for (auto text : raw_drives) {
        // The program works from its own folder later, so a relative folder is
        // made absolute now, against the folder the user gave it from.
        if (text.size() > 2 && text[1] == '=' && text[2] != '/')
            text =
                text.substr(0, 2) + std::filesystem::current_path().string() + "/" + text.substr(2);
        std::string error;
        auto spec = fs::ParseDriveOption(text, &error);
        if (!spec) UsageError("--drive: " + error);
        a.drives.push_back(*spec);
    }
    return a;
}

int ListDrives(const StartedProgram& program) {
    for (char letter : fs::Drives().Letters()) {
        fs::DriveInfo info = fs::Drives().Info(letter);
        bool ready = fs::IsDriveReady(letter);
        std::string label = "-";
        fs::GetVolumeLabel(letter, label);
        std::printf("%c:\t%d\t%s\t%s\t%lld\t%lld\t%s\n", letter, fs::GetDriveKind(letter),
                    ready ? _("gereed") : _("niet gereed"), label.c_str(),
                    static_cast<long long>(fs::GetDriveTotalBytes(letter)),
                    static_cast<long long>(fs::GetDriveFreeBytes(letter)), info.folder.c_str());
    }
    RecordNewDrives(program);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        TakeProgramDir(argc, argv);
        StartedProgram program = StartProgram();
        Arguments args = Parse(argc, argv);
        StartOptions options;
        options.drives = args.drives;
        StartDriveTable(program, options);
        if (args.help) {
            std::printf("%s\n%s\n", kUsage,
                        _("drives: een regel per stationsletter: letter, soort, gereed, label, "
                          "totaal en vrij in bytes, en de map."));
            return 0;
        }
        if (args.command.empty())
            UsageError(Printf(_("Geen opdracht gegeven; gebruik: %s"), kUsage));
        if (args.command == "drives") return ListDrives(program);
        UsageError(Printf(_("Onbekende opdracht %s; zie --help."), args.command.c_str()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vaultor-cli: %s\n", e.what());
        return 1;
    }
}
