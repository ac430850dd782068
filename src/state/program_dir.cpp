#include "state/program_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace vaultor {
namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string Absolute(const std::string& folder) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(folder, ec);
    return ec ? folder : abs.lexically_normal().string();
}

}  // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

std::string FindInstalledFile(const std::string& name) {
    std::string beside = ExecutableFolder() + "/" + name;
    if (Exists(beside)) return beside;
    std::string shared = ExecutableFolder() + "/../share/vaultor/" + name;
    return Exists(shared) ? shared : beside;
}

std::string ResolveProgramDir() {
    if (const char* home = std::getenv("VAULTOR_HOME"); home && *home)
        return WithSlash(Absolute(home));
    std::string own = ExecutableFolder();
    if (Exists(own + "/Vaultor.ini") || Exists(own + "/portable")) return WithSlash(own);
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/')
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = std::string(home) + "/.local/share";
    else
        return {};
    std::string folder = data + "/vaultor";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return ec ? std::string() : WithSlash(folder);
}

}  // namespace vaultor
