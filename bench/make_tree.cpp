// Makes the benchmark's source tree: FILES files in FILES/20 folders, two
// levels deep, mostly 1-16 KiB with one in a hundred up to 1 MiB, content
// from a fixed seed so every run measures the same tree. With "change" it
// rewrites one file in a hundred (a byte more, a newer time) for the
// incremental run; with "small" every file is 512 bytes to 2 KiB, so a
// million files fit a machine's memory for the targets.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

std::string FileName(long i, long folders) {
    long folder = i % folders;
    return "d" + std::to_string(folder / 50) + "/d" + std::to_string(folder) + "/f" +
           std::to_string(i) + ".dat";
}

bool Write(const std::string& path, const std::vector<char>& data, size_t size) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = ::write(fd, data.data(), size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "make_tree DIR FILES [change] [small]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = std::atol(argv[2]);
    const long folders = files / 20 > 0 ? files / 20 : 1;
    bool change = false, all_small = false;
    for (int i = 3; i < argc; ++i) {
        change |= std::string(argv[i]) == "change";
        all_small |= std::string(argv[i]) == "small";
    }
    std::mt19937_64 random(20261206);
    std::vector<char> data(1 << 20);
    for (auto& c : data) c = static_cast<char>(random());
    std::uniform_int_distribution<size_t> small(1024, 16 * 1024), large(16 * 1024, 1 << 20),
        tiny(512, 2048);
    for (long i = 0; i < files; ++i) {
        size_t size = all_small ? tiny(random) : i % 100 == 99 ? large(random) : small(random);
        if (change && i % 100 != 7) continue;
        std::string path = root + "/" + FileName(i, folders);
        if (change) {
            size += 1;
        } else if (i < folders) {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        }
        if (!Write(path, data, size)) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
