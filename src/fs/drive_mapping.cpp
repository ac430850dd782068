#include "fs/drive_mapping.h"

#include <charconv>
#include <filesystem>
#include <vector>

#include "fs/i18n.h"

namespace vaultor::fs {
namespace {

bool StartsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool IsOptionPiece(std::string_view piece) {
    return piece == "mounted" || StartsWith(piece, "kind=") || StartsWith(piece, "label=") ||
           StartsWith(piece, "uuid=") || StartsWith(piece, "root=") ||
           StartsWith(piece, "source=") || StartsWith(piece, "device=");
}

// Splits at commas, but a piece that is no known option belongs to the piece
// before it: folders and labels may hold commas.
std::vector<std::string> SplitPieces(std::string_view value) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        size_t comma = value.find(',', start);
        std::string_view piece = value.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (pieces.empty() || IsOptionPiece(piece)) {
            pieces.emplace_back(piece);
        } else {
            pieces.back() += ',';
            pieces.back() += piece;
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return pieces;
}

std::string NormaliseFolder(std::string folder) {
    if (!folder.empty()) folder = std::filesystem::path(folder).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

char NormaliseLetter(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return (c >= 'A' && c <= 'Z') ? c : 0;
}

std::optional<DriveMapping> ParseDriveValue(char letter, std::string_view value,
                                            std::string* error) {
    DriveMapping mapping;
    mapping.letter = NormaliseLetter(letter);
    if (!mapping.letter) {
        *error = Printf(_("'%c' is geen stationsletter."), letter);
        return std::nullopt;
    }
    auto pieces = SplitPieces(value);
    mapping.folder = NormaliseFolder(pieces.front());
    if (mapping.folder.empty() || mapping.folder.front() != '/') {
        *error = Printf(_("De map van %c: moet een volledig pad zijn, niet '%s'."), mapping.letter,
                        mapping.folder.c_str());
        return std::nullopt;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::string_view p = pieces[i];
        if (p == "mounted") {
            mapping.mounted = true;
        } else if (StartsWith(p, "kind=")) {
            int kind = 0;
            auto digits = p.substr(5);
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), kind);
            bool valid = ec == std::errc() && end == digits.data() + digits.size() &&
                         ((kind >= 1 && kind <= 5) || kind == 255);
            if (!valid) {
                *error =
                    Printf(_("Ongeldige soort '%s': 1 t/m 5 of 255."), std::string(digits).c_str());
                return std::nullopt;
            }
            mapping.kind = kind;
        } else if (StartsWith(p, "label=")) {
            mapping.label = std::string(p.substr(6));
        } else if (StartsWith(p, "uuid=")) {
            mapping.uuid = std::string(p.substr(5));
        } else if (StartsWith(p, "root=")) {
            mapping.root = std::string(p.substr(5));
        } else if (StartsWith(p, "source=")) {
            mapping.source = std::string(p.substr(7));
        } else if (StartsWith(p, "device=")) {
            mapping.device = std::string(p.substr(7));
        }
    }
    return mapping;
}

std::optional<DriveMapping> ParseDriveOption(std::string_view text, std::string* error) {
    if (text.size() < 3 || text[1] != '=') {
        *error = Printf(_("Verwacht X=MAP[,kind=N][,label=TEKST][,mounted], niet '%s'."),
                        std::string(text).c_str());
        return std::nullopt;
    }
    return ParseDriveValue(text[0], text.substr(2), error);
}

std::string FormatDriveValue(const DriveMapping& mapping) {
    std::string out = mapping.folder;
    if (mapping.kind) out += ",kind=" + std::to_string(*mapping.kind);
    if (!mapping.uuid.empty()) out += ",uuid=" + mapping.uuid;
    if (!mapping.root.empty() && mapping.root != "/") out += ",root=" + mapping.root;
    if (!mapping.source.empty()) out += ",source=" + mapping.source;
    if (!mapping.device.empty()) out += ",device=" + mapping.device;
    if (mapping.mounted) out += ",mounted";
    if (mapping.label) out += ",label=" + *mapping.label;  // last: it may hold commas
    return out;
}

}  // namespace vaultor::fs
