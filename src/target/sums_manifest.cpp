#include "target/sums_manifest.h"

#include "target/target_path.h"

namespace vaultor {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string SumsManifestPath(const std::string& target_root, char source_letter) {
    return target_root + kSumsFolderName + "\\" + std::string(1, source_letter) + ".sums";
}

char SourceLetterOfCopy(std::string_view relative) {
    const size_t length = DriveFolderFor("", 'X').size();  // "Vaultor_Drive X\"
    if (relative.size() <= length) return 0;
    const char letter = relative[length - 2];
    return relative.substr(0, length) == DriveFolderFor("", letter) ? letter : 0;
}

std::string EscapeManifestPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> UnescapeManifestPath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

SumsManifest ParseSumsManifest(std::string_view bytes) {
    SumsManifest manifest;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (line.size() < 34 || line[0] == '#' || line[32] != ' ') continue;
        auto sum = fs::Sum128::FromHex(line.substr(0, 32));
        auto path = UnescapeManifestPath(line.substr(33));
        if (sum && path && !path->empty()) manifest[*path] = *sum;
    }
    return manifest;
}

std::string FormatSumsManifest(const SumsManifest& manifest) {
    std::string out = "# Vaultor: XXH3-128 of each copy, then its path below the target root\n";
    for (const auto& [path, sum] : manifest)
        out += sum.Hex() + " " + EscapeManifestPath(path) + "\n";
    return out;
}

void MergeSums(SumsManifest& manifest, const SumsUpdate& update) {
    for (const auto& [path, sum] : update) {
        if (sum)
            manifest[path] = *sum;
        else
            manifest.erase(path);
    }
}

}  // namespace vaultor
