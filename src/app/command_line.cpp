#include "app/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace vaultor {

namespace {

bool HasArgument(int argc, char** argv, std::initializer_list<std::string_view> names) {
    for (int i = 1; i < argc; ++i)
        for (std::string_view name : names)
            if (argv[i] == name) return true;
    return false;
}

// The command: the first argument that is neither an option nor an option's value.
std::string_view CommandWord(int argc, char** argv) {
    static constexpr std::string_view kTakesValue[] = {
        "--program-dir", "--drive", "--ignore-time-shift", "--version", "--to", "--from"};
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (std::find(std::begin(kTakesValue), std::end(kTakesValue), arg) != std::end(kTakesValue))
            ++i;
        else if (arg.empty() || arg.front() != '-')
            return arg;
    }
    return {};
}

}  // namespace

bool AsksForHelp(int argc, char** argv) {
    return HasArgument(argc, argv, {"--help", "-h"});
}

bool AsksForVersion(int argc, char** argv) {
    // restore takes the stamp of the version to bring back after --version.
    return HasArgument(argc, argv, {"--version"}) && CommandWord(argc, argv) != "restore";
}

void TakeProgramDirOption(int argc, char** argv) {
    bool help = AsksForHelp(argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) != "--program-dir") continue;
        std::string dir = argv[i + 1];
        std::error_code ec;
        if (!help) std::filesystem::create_directories(dir, ec);  // a typo in --help makes nothing
        if (ec) throw std::invalid_argument("--program-dir " + dir + ": " + ec.message());
        ::setenv("VAULTOR_HOME", std::filesystem::absolute(dir).c_str(), 1);
    }
}

fs::DriveMapping DriveArgument(std::string text) {
    if (text.size() > 2 && text[1] == '=' && text[2] != '/')
        text = text.substr(0, 2) + std::filesystem::current_path().string() + "/" + text.substr(2);
    std::string error;
    auto mapping = fs::ParseDriveOption(text, &error);
    if (!mapping) throw std::invalid_argument("--drive: " + error);
    return *mapping;
}

}  // namespace vaultor
