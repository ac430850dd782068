#include "log/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fs/atomic_write.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"

namespace vaultor {
namespace {

constexpr size_t kFlushAt = 64 * 1024;

[[noreturn]] void Raise(const std::string& path, int error_number) {
    throw LogError(Printf(_("Fout bij het schrijven van het logbestand %s: %s"), path.c_str(),
                          std::strerror(error_number)));
}

}  // namespace

LogFile::~LogFile() {
    if (!fd_) return;
    try {
        Flush();
    } catch (const LogError&) {  // an operation that failed already said so
    }
}

void LogFile::Open(const std::string& program_dir) {
    if (fd_) Close();
    path_ = PathIn(program_dir);
    buffer_.clear();
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) Raise(path_, EACCES);
    fd_.Reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd_) Raise(path_, errno);
}

void LogFile::WriteLine(const std::string& line) {
    if (!fd_) Raise(path_, EBADF);
    buffer_ += line;
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushAt) Flush();
}

void LogFile::Flush() {
    const char* data = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_.Get(), data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            buffer_.clear();
            Raise(path_, n == 0 ? EIO : errno);
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    buffer_.clear();
}

void LogFile::Close() {
    if (!fd_) return;
    Flush();
    if (fd_.Close() != 0) Raise(path_, errno);
}

std::vector<std::string> ReadLogLines(const std::string& path) {
    return fs::ReadTextLines(path);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    if (!fs::WriteFileAtomically(path, text)) Raise(path, errno);
}

}  // namespace vaultor
