#include "lists/list_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

#include "fs/atomic_write.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"
#include "fs/unique_fd.h"

namespace vaultor {

std::optional<std::vector<std::string>> ReadListLines(const std::string& path) {
    using Status = fs::SmallFile::Status;
    fs::SmallFile file = fs::ReadSmallFile(path, kMaxListFileBytes);
    if (file.status == Status::NotAFile || file.status == Status::TooLarge ||
        file.status == Status::Unreadable)
        return std::nullopt;
    return fs::SplitTextLines(file.bytes);
}

bool WriteListFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return fs::WriteFileAtomically(path, text);
}

std::string ListNameOf(const std::string& path) {
    std::string file = path.substr(path.find_last_of('/') + 1);
    return file.size() > 4 ? file.substr(0, file.size() - 4) : file;
}

std::string UnusableListMessage(const std::string& path) {
    if (ListFileUnreadable(path))
        return Printf(_("De lijst %s wordt niet gebruikt: het bestand kan niet gelezen worden."),
                      path.c_str());
    return Printf(_("De lijst %s wordt niet gebruikt: het is geen gewoon bestand of is groter "
                    "dan 4 MB."),
                  path.c_str());
}

bool ListFileUnreadable(const std::string& path) {
    return fs::ReadSmallFile(path, kMaxListFileBytes).status == fs::SmallFile::Status::Unreadable;
}

std::vector<std::string> ListNames(const std::string& program_dir) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(program_dir.c_str()), ::closedir);
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir.get())) {
        std::string name = e->d_name;
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".vlt") != 0) continue;
        struct stat st {};
        if (::stat((program_dir + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // A name holding the program's separators could only be mistaken for another.
        if (name.find_first_of(":\\") != std::string::npos) continue;
        names.push_back(ListNameOf(name));
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ::strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

}  // namespace vaultor
