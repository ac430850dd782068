#include "fs/text_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "fs/unique_fd.h"

namespace vaultor::fs {

std::vector<std::string> ReadTextLines(const std::string& path) {
    std::vector<std::string> lines;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return lines;
    std::string text;
    std::array<char, 65536> buf{};
    for (ssize_t n; (n = ::read(fd.Get(), buf.data(), buf.size())) > 0;)
        text.append(buf.data(), static_cast<size_t>(n));
    std::string line;
    bool pending = false;  // a line was begun or ended by a lone CR
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            pending = false;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(line));
    return lines;
}

}  // namespace vaultor::fs
