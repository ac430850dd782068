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

constexpr std::string_view kOptionNames[] = {
    "kind=", "label=", "uuid=", "root=", "source=", "device="};

bool IsOptionPiece(std::string_view piece) {
    if (piece == "mounted") return true;
    for (auto name : kOptionNames)
        if (StartsWith(piece, name)) return true;
    return false;
}

bool IsOptionName(std::string_view text) {
    for (auto name : kOptionNames)
        if (text == name) return true;
    return false;
}

// Splits at commas, but a piece that is no known option belongs to the piece
// before it: folders and labels may hold commas. A value written in double
// quotes (the folder, or what follows "label=" and the like) is one piece
// whatever it holds; a quote inside is doubled.
std::vector<std::string> SplitPieces(std::string_view value) {
    std::vector<std::string> pieces;
    std::string piece;
    bool in_quotes = false;
    bool value_starts = true;  // the folder starts the text
    auto end_piece = [&] {
        if (pieces.empty() || IsOptionPiece(piece)) {
            pieces.push_back(piece);
        } else {
            pieces.back() += ',';
            pieces.back() += piece;
        }
        piece.clear();
    };
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (in_quotes) {
            piece += c;
            if (c == '"' && i + 1 < value.size() && value[i + 1] == '"')
                piece += value[++i];
            else if (c == '"')
                in_quotes = false;
            continue;
        }
        if (c == ',') {
            end_piece();
            value_starts = false;
            continue;
        }
        in_quotes = c == '"' && value_starts;
        piece += c;
        value_starts = c == '=' && IsOptionName(piece);
    }
    end_piece();
    return pieces;
}

// A value in double quotes as SplitPieces kept it; anything else as it is.
std::string Unquoted(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
    std::string out;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '"') {
            if (value[i + 1] != '"' || i + 2 == value.size()) return std::string(value);
            ++i;
        }
        out += value[i];
    }
    return out;
}

// Quoted only when it would not read back as it is: a piece after a comma
// that looks like an option, or a leading quote. Any other value keeps the
// form it always had.
bool NeedsQuotes(std::string_view value) {
    if (!value.empty() && value.front() == '"') return true;
    for (size_t comma = value.find(','); comma != std::string_view::npos;
         comma = value.find(',', comma + 1)) {
        std::string_view next = value.substr(comma + 1);
        if (IsOptionPiece(next.substr(0, next.find(',')))) return true;
    }
    return false;
}

std::string Quoted(const std::string& value) {
    if (!NeedsQuotes(value)) return value;
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + '"';
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
    mapping.folder = NormaliseFolder(Unquoted(pieces.front()));
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
            mapping.label = Unquoted(p.substr(6));
        } else if (StartsWith(p, "uuid=")) {
            mapping.uuid = Unquoted(p.substr(5));
        } else if (StartsWith(p, "root=")) {
            mapping.root = Unquoted(p.substr(5));
        } else if (StartsWith(p, "source=")) {
            mapping.source = Unquoted(p.substr(7));
        } else if (StartsWith(p, "device=")) {
            mapping.device = Unquoted(p.substr(7));
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
    std::string out = Quoted(mapping.folder);
    if (mapping.kind) out += ",kind=" + std::to_string(*mapping.kind);
    if (!mapping.uuid.empty()) out += ",uuid=" + Quoted(mapping.uuid);
    if (!mapping.root.empty() && mapping.root != "/") out += ",root=" + Quoted(mapping.root);
    if (!mapping.source.empty()) out += ",source=" + Quoted(mapping.source);
    if (!mapping.device.empty()) out += ",device=" + Quoted(mapping.device);
    if (mapping.mounted) out += ",mounted";
    if (mapping.label) out += ",label=" + Quoted(*mapping.label);
    return out;
}

}  // namespace vaultor::fs
