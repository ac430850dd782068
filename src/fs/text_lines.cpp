#include "fs/text_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "fs/time_text.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

// Splits pieces of a text into lines as they come, so a run's log of a
// million lines is never held twice.
class LineSplitter {
  public:
    void Feed(std::string_view piece) {
        for (char c : piece) {
            if (c == '\n' && after_cr_) {
                after_cr_ = false;
                continue;
            }
            after_cr_ = c == '\r';
            if (c == '\r' || c == '\n') {
                lines_.emplace_back(line_);  // a copy of its own size; the buffer is kept
                line_.clear();
                pending_ = false;
            } else {
                line_ += c;
                pending_ = true;
            }
        }
    }
    std::vector<std::string> Finish() {
        if (pending_) lines_.push_back(std::move(line_));
        return std::move(lines_);
    }

  private:
    std::vector<std::string> lines_;
    std::string line_;
    bool pending_ = false;   // a line was begun
    bool after_cr_ = false;  // the last byte was CR: a LF now ends nothing
};

// Opened without blocking: a FIFO in a file's place must not hang the program.
UniqueFd OpenRegularFile(const std::string& path, SmallFile::Status* status) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd) {
        *status = errno == ENOENT || errno == ENOTDIR ? SmallFile::Status::Missing
                                                      : SmallFile::Status::Unreadable;
    } else if (::fstat(fd.Get(), &st) != 0) {
        *status = SmallFile::Status::Unreadable;
        fd.Reset();
    } else if (!S_ISREG(st.st_mode)) {
        *status = SmallFile::Status::NotAFile;
        fd.Reset();
    } else {
        *status = SmallFile::Status::Ok;
    }
    return fd;
}

SmallFile ReadUpTo(const std::string& path, std::size_t max_bytes, bool longer_is_too_large) {
    SmallFile file;
    UniqueFd fd = OpenRegularFile(path, &file.status);
    if (!fd) return file;
    std::array<char, 65536> buf{};
    while (file.bytes.size() <= max_bytes) {
        ssize_t n = ::read(fd.Get(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            file.status = SmallFile::Status::Unreadable;
            file.bytes.clear();
            return file;
        }
        if (n == 0) return file;
        file.bytes.append(buf.data(), static_cast<std::size_t>(n));
    }
    if (longer_is_too_large) {
        file.status = SmallFile::Status::TooLarge;
        file.bytes.clear();
    } else {
        file.bytes.resize(max_bytes);
    }
    return file;
}

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path) {
    SmallFile::Status status{};
    UniqueFd fd = OpenRegularFile(path, &status);
    if (!fd) return {};
    LineSplitter splitter;
    std::array<char, 65536> buf{};
    for (ssize_t n; (n = ::read(fd.Get(), buf.data(), buf.size())) > 0;)
        splitter.Feed(std::string_view(buf.data(), static_cast<std::size_t>(n)));
    return splitter.Finish();
}

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    LineSplitter splitter;
    splitter.Feed(bytes);
    return splitter.Finish();
}

SmallFile ReadSmallFile(const std::string& path, std::size_t max_bytes) {
    return ReadUpTo(path, max_bytes, true);
}

SmallFile ReadFileStart(const std::string& path, std::size_t max_bytes) {
    return ReadUpTo(path, max_bytes, false);
}

std::optional<std::string> SetAside(const std::string& path) {
    const std::string stamp = LocalTimeText(std::time(nullptr), "%Y%m%d-%H%M%S");
    // A second file set aside within the same second never replaces the first.
    for (int n = 1; n < 100; ++n) {
        std::string aside = path + ".bad-" + stamp + (n > 1 ? "-" + std::to_string(n) : "");
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace vaultor::fs
