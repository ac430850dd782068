#include "lists/inclusion.h"

#include <algorithm>

#include "fs/drive_mapping.h"
#include "fs/i18n.h"
#include "fs/letter_path.h"

namespace vaultor {
namespace {

std::string Key(const std::string& path) {
    std::string key = path;
    if (key.size() >= 2 && key[1] == ':' && fs::NormaliseLetter(key[0]))
        key[0] = fs::NormaliseLetter(key[0]);
    return key;
}

bool IsDriveRoot(const std::string& path) {
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    return Key(a) == Key(b);
}

std::string NormalisedFolder(std::string path) {
    return fs::CanonicalLetterPath(std::move(path));
}

std::string ParentOf(const std::string& path) {
    if (path.size() < 3) return {};
    if (IsDriveRoot(path)) return path;
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos) return {};
    return cut + 1 > 3 ? path.substr(0, cut) : path.substr(0, cut + 1);
}

bool IsHigherFolder(const std::string& entry, const std::string& path) {
    std::string e = Key(entry), p = Key(path);
    if (IsDriveRoot(e)) return p.size() > e.size() && p.compare(0, e.size(), e) == 0;
    return p.size() > e.size() + 1 && p.compare(0, e.size(), e) == 0 && p[e.size()] == '\\';
}

std::string UnsafeFolderMessage(const std::string& path) {
    if (fs::IsSafeLetterPath(path)) return {};
    return Printf(_("De map %s wordt niet opgenomen: een pad met . of .. als deel wordt niet "
                    "gebruikt."),
                  path.c_str());
}

bool CheckForMaps(std::vector<std::string>& lines, const std::string& path, UserInterface& ui) {
    if (std::string unsafe = UnsafeFolderMessage(path); !unsafe.empty()) {
        ui.ToonMelding(unsafe);
        return true;
    }
    auto same = [&](const std::string& line) { return SamePath(line, path); };
    if (std::any_of(lines.begin(), lines.end(), same)) {
        ui.ToonMelding(_("Deze map is al opgenomen"));
        return true;
    }
    if (path.size() == 3) {
        std::string question = _("Opgelet! Wilt u echt alle mappen en bestanden van drive ") +
                               path + _(" selecteren?");
        if (ui.VraagJaNee(question) == kAnswerNo) return true;
    }
    std::string parent = ParentOf(path);
    if (!parent.empty() && !SamePath(parent, path) &&
        std::any_of(lines.begin(), lines.end(),
                    [&](const std::string& line) { return SamePath(line, parent); })) {
        ui.ToonMelding(Printf(_("De map %s is al opgenomen.\r\nDe hogere map\r\n%s is al in de "
                                "lijst aanwezig."),
                              path.c_str(), parent.c_str()));
        return true;
    }
    for (const auto& line : lines) {
        if (IsHigherFolder(line, path)) {
            ui.ToonMelding(_("De map ") + path + _(" is al opgenomen want de hogere map") + "\r" +
                           line + _(" is al in de lijst aanwezig "));
            return true;
        }
    }
    std::vector<std::string> lower;
    for (const auto& line : lines)
        if (IsHigherFolder(path, line)) lower.push_back(line);
    if (!lower.empty()) {
        std::string question = std::to_string(lower.size()) +
                               _(" lagere map(pen) nu vervangen door een hogere map?") + "\r\r" +
                               _("Informatie:") + "\r" +
                               _("Lagere mappen worden altijd automatisch opgenomen.");
        if (ui.VraagJaNee(question) == kAnswerNo) return true;
        lines.erase(
            std::remove_if(lines.begin(), lines.end(),
                           [&](const std::string& line) { return IsHigherFolder(path, line); }),
            lines.end());
    }
    return false;
}

}  // namespace vaultor
