#include "fs/drive_spec.h"

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

std::optional<DriveSpec> ParseDriveValue(char letter, std::string_view value, std::string* error) {
    DriveSpec spec;
    spec.letter = NormaliseLetter(letter);
    if (!spec.letter) {
        *error = Printf(_("'%c' is geen stationsletter."), letter);
        return std::nullopt;
    }
    auto pieces = SplitPieces(value);
    spec.folder = NormaliseFolder(pieces.front());
    if (spec.folder.empty() || spec.folder.front() != '/') {
        *error = Printf(_("De map van %c: moet een volledig pad zijn, niet '%s'."), spec.letter,
                        spec.folder.c_str());
        return std::nullopt;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::string_view p = pieces[i];
        if (p == "mounted") {
            spec.mounted = true;
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
            spec.kind = kind;
        } else if (StartsWith(p, "label=")) {
            spec.label = std::string(p.substr(6));
        } else if (StartsWith(p, "uuid=")) {
            spec.uuid = std::string(p.substr(5));
        } else if (StartsWith(p, "root=")) {
            spec.root = std::string(p.substr(5));
        } else if (StartsWith(p, "source=")) {
            spec.source = std::string(p.substr(7));
        } else if (StartsWith(p, "device=")) {
            spec.device = std::string(p.substr(7));
        }
    }
    return spec;
}

std::optional<DriveSpec> ParseDriveOption(std::string_view text, std::string* error) {
    if (text.size() < 3 || text[1] != '=') {
        *error = Printf(_("Verwacht X=MAP[,kind=N][,label=TEKST][,mounted], niet '%s'."),
                        std::string(text).c_str());
        return std::nullopt;
    }
    return ParseDriveValue(text[0], text.substr(2), error);
}

std::string FormatDriveValue(const DriveSpec& spec) {
    std::string out = spec.folder;
    if (spec.kind) out += ",kind=" + std::to_string(*spec.kind);
    if (!spec.uuid.empty()) out += ",uuid=" + spec.uuid;
    if (!spec.root.empty() && spec.root != "/") out += ",root=" + spec.root;
    if (!spec.source.empty()) out += ",source=" + spec.source;
    if (!spec.device.empty()) out += ",device=" + spec.device;
    if (spec.mounted) out += ",mounted";
    if (spec.label) out += ",label=" + *spec.label;  // last: it may hold commas
    return out;
}

}  // namespace vaultor::fs
