#include "engine/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/atomic_write.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"
#include "fs/unique_fd.h"

namespace vaultor {
namespace {

constexpr const char* kFirstLine = "vaultor-journal 1";
constexpr std::size_t kMaxBytes = 64 << 20;

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

std::string RunJournal::PathForList(const std::string& list_file) {
    const std::string ext = ".vlt";
    if (list_file.size() > ext.size() &&
        list_file.compare(list_file.size() - ext.size(), ext.size(), ext) == 0)
        return list_file.substr(0, list_file.size() - ext.size()) + ".journal";
    return list_file + ".journal";
}

std::string RunJournal::PathFor(const AppState& state) {
    if (state.CurrentListFile.empty()) return state.ProgramDir + "Vaultor.journal";
    return PathForList(state.CurrentListFile);
}

std::unordered_set<std::string> RunJournal::Read(const std::string& path) {
    std::unordered_set<std::string> copies;
    fs::SmallFile file = fs::ReadSmallFile(path, kMaxBytes);
    if (file.status != fs::SmallFile::Status::Ok) return copies;
    size_t at = file.bytes.find('\n');
    if (at == std::string::npos || file.bytes.compare(0, at, kFirstLine) != 0) return copies;
    for (++at; at < file.bytes.size();) {
        size_t end = file.bytes.find('\0', at);
        if (end == std::string::npos) break;  // a last line cut short names nothing whole
        if (end > at) copies.insert(file.bytes.substr(at, end - at));
        at = end + 1;
    }
    return copies;
}

bool RunJournal::Write(const std::vector<std::string>& copies) const {
    std::string text = std::string(kFirstLine) + "\n";
    // A name may hold a line end; no path holds a NUL.
    for (const auto& copy : copies) (text += copy) += '\0';
    return fs::WriteFileAtomically(path_, text);
}

void RunJournal::Remove() const {
    if (::unlink(path_.c_str()) != 0) return;
    fs::UniqueFd folder(::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.Get());
}

bool RunJournal::Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::unordered_set<std::string> TellOfInterruptedRun(AppState& state, bool for_start) {
    const std::string journal = RunJournal::PathFor(state);
    if (!RunJournal::Exists(journal)) return {};
    std::unordered_set<std::string> copies;
    if (for_start) copies = RunJournal::Read(journal);
    state.Ui.ToonMelding(
        for_start ? _("De vorige run van deze lijst is onderbroken. Wat die onderhanden had, wordt "
                      "nu opnieuw gekopieerd.")
                  : _("De vorige run van deze lijst is onderbroken. Een kopie die hij onderhanden "
                      "had, kan de juiste grootte en datum hebben zonder de juiste inhoud; Start "
                      "kopieert die opnieuw."));
    return copies;
}

}  // namespace vaultor
