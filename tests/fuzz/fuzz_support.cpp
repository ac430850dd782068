#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fs/drive_table.h"

namespace vaultor::fuzz {

void Fail(const std::string& what, std::string_view detail) {
    std::fprintf(stderr, "\n*** PROPERTY FAILED: %s\n", what.c_str());
    if (!detail.empty()) std::fprintf(stderr, "*** detail: %s\n", Shown(detail).c_str());
    std::abort();
}

const std::string& TempRoot() {
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* root = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/vaultor-fuzz-XXXXXX";
        if (!::mkdtemp(name.data())) Fail("cannot make a temporary folder");
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(TempRoot(), ec);
        });
        return new std::string(name);
    }();
    return *root;
}

std::string Folder(const std::string& relative) {
    std::string path = TempRoot() + "/" + relative;
    std::filesystem::create_directories(path);
    return path;
}

void EmptyFolder(const std::string& path) {
    for (const auto& entry : std::filesystem::directory_iterator(path))
        std::filesystem::remove_all(entry.path());
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail("cannot write " + path);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

void MapDrives(const std::vector<std::string>& options) {
    fs::DriveTable::Sources sources;
    for (const auto& option : options) {
        std::string error;
        auto mapping = fs::ParseDriveOption(option, &error);
        if (!mapping) Fail("bad --drive form " + option + ": " + error);
        sources.command_line.push_back(*mapping);
    }
    fs::SetDriveTable(fs::DriveTable::Build(sources));
}

bool HasDotOrNul(std::string_view path, char separator) {
    if (path.find('\0') != std::string_view::npos) return true;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(separator, start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "." || part == "..") return true;
        start = end + 1;
    }
    return false;
}

bool IsUnder(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string Shown(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace vaultor::fuzz
