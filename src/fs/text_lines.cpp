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
    // Read in pieces: a run's log of a million lines is never held twice.
    std::array<char, 65536> buf{};
    std::string line;
    bool pending = false;   // a line was begun or ended by a lone CR
    bool after_cr = false;  // the piece before ended in CR: a LF now ends nothing
    for (ssize_t n; (n = ::read(fd.Get(), buf.data(), buf.size())) > 0;) {
        for (ssize_t i = 0; i < n; ++i) {
            char c = buf[static_cast<size_t>(i)];
            if (c == '\n' && after_cr) {
                after_cr = false;
                continue;
            }
            after_cr = c == '\r';
            if (c == '\r' || c == '\n') {
                lines.emplace_back(line);  // a copy of its own size; the buffer is kept
                line.clear();
                pending = false;
            } else {
                line += c;
                pending = true;
            }
        }
    }
    if (pending) lines.push_back(std::move(line));
    return lines;
}

}  // namespace vaultor::fs
