// The settings file written and read again keeps its meaning.
//
// The input is the file's bytes, then pieces each begun by "\x01\x01":
//   "*" N   the file's bytes repeated N times (N decimal, at most 65536), each
//           "#" in them written as the copy's number: big files from small
//           inputs;
//   S K V   a Set: byte S picks the section, byte K the key, V is the value.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "state/ini_file.h"

using namespace vaultor;

namespace {

constexpr std::array kSections = {"Vaultor", "CHECKMARK", "LAST", "BPS", "Translation", "Drives"};
constexpr std::array kKeys = {"TheDrive", "Locked", "DriveLabel",  "LastUsed", "0", "1",
                              "2",        "9",      "DriveSpeed1", "C",        "D", "S"};
constexpr size_t kMaxValue = 2047;   // what Text gives at most
constexpr size_t kMaxSections = 64;  // sections compared, so a huge file costs linear time

struct SetOp {
    std::string section, key, value;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool HasControl(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

// The section names a file's lines could start, as a reader may see them.
void AddSectionNames(const std::string& text, std::set<std::string>& names) {
    size_t start = 0;
    while (start < text.size() && names.size() < kMaxSections) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t open = line.find_first_not_of(" \t");
        size_t close = line.find(']');
        if (open != std::string::npos && line[open] == '[' && close != std::string::npos &&
            close > open) {
            std::string name = line.substr(open + 1, close - open - 1);
            size_t a = name.find_first_not_of(" \t"), b = name.find_last_not_of(" \t");
            // A name with a NUL cannot be asked for: the reader takes C strings.
            if (name.find('\0') == std::string::npos)
                names.insert(Lower(a == std::string::npos ? "" : name.substr(a, b - a + 1)));
        }
        start = end + 1;
    }
}

// section (lower case) -> key (lower case) -> value, for the given sections.
using Meaning = std::map<std::string, std::map<std::string, std::string>>;
Meaning MeaningOf(const IniFile& ini, const std::set<std::string>& sections) {
    Meaning out;
    for (const auto& section : sections)
        for (const auto& [key, value] : ini.Section(section.c_str()))
            out[section][Lower(key)] = value;
    return out;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The text without the lines that hold a NUL (lines end at LF; a lone CR is
// a byte of its line). A section header holding one still ends the section
// before it: its keys are nobody's, so it stands as a header no name finds.
std::string WithoutNulLines(const std::string& text) {
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        size_t first = line.find_first_not_of(" \t");
        bool header = first != std::string::npos && line[first] == '[' &&
                      line.find(']', first) != std::string::npos;
        if (line.find('\0') == std::string::npos)
            out += line;
        else if (header)
            out += "[\x7f]\n";
        start = end;
    }
    return out;
}

void Parse(std::string input, std::string& file, std::vector<SetOp>& sets) {
    const std::string marker = "\x01\x01";
    std::vector<std::string> pieces;
    for (size_t at; (at = input.find(marker)) != std::string::npos;) {
        pieces.push_back(input.substr(0, at));
        input.erase(0, at + marker.size());
    }
    pieces.push_back(input);
    file = pieces.front();
    for (size_t i = 1; i < pieces.size(); ++i) {
        const std::string& p = pieces[i];
        if (!p.empty() && p[0] == '*') {
            size_t n = std::min<size_t>(std::strtoul(p.c_str() + 1, nullptr, 10), 65536);
            const std::string one = file;
            file.clear();
            for (size_t k = 0; k < n && file.size() < (4u << 20); ++k)
                for (char c : one) file += c == '#' ? std::to_string(k) : std::string(1, c);
        } else if (p.size() >= 2) {
            sets.push_back({kSections[static_cast<unsigned char>(p[0]) % kSections.size()],
                            kKeys[static_cast<unsigned char>(p[1]) % kKeys.size()], p.substr(2)});
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::Folder("ini") + "/Vaultor.ini";
    std::string file;
    std::vector<SetOp> sets;
    Parse({reinterpret_cast<const char*>(data), size}, file, sets);
    fuzz::WriteBytes(path, file);

    std::set<std::string> sections = {""};
    for (const char* s : kSections) sections.insert(Lower(s));
    AddSectionNames(file, sections);
    Meaning expected = MeaningOf(IniFile::Read(path), sections);
    // A line holding a NUL is not used; the lines after it are. (A file over
    // the size bound is not read at all, with or without them.)
    if (file.find('\0') != std::string::npos && file.size() <= IniFile::kMaxBytes) {
        static const std::string plain = fuzz::Folder("ini") + "/Plain.ini";
        fuzz::WriteBytes(plain, WithoutNulLines(file));
        fuzz::Check(MeaningOf(IniFile::Read(plain), sections) == expected,
                    "a NUL byte changes what the lines around it mean");
    }

    IniFile ini = IniFile::ForWrite(path);
    for (const auto& op : sets) {
        ini.Set(op.section.c_str(), op.key.c_str(), op.value);
        expected[Lower(op.section)][Lower(op.key)] = op.value;
    }
    if (ini.Bytes().size() > IniFile::kMaxBytes) {
        // Refused whole: the file keeps what it had.
        const std::string before = ReadAll(path);
        bool refused = false;
        try {
            ini.Write();
        } catch (const WriteError&) {
            refused = true;
        }
        fuzz::Check(refused && ReadAll(path) == before,
                    "a file grown past the size bound was written");
        return 0;
    }
    ini.Write();

    AddSectionNames(ReadAll(path), sections);
    Meaning after = MeaningOf(IniFile::Read(path), sections);
    std::map<std::pair<std::string, std::string>, bool> was_set;
    for (const auto& op : sets) was_set[{Lower(op.section), Lower(op.key)}] = true;

    for (const auto& [section, keys] : after)
        for (const auto& [key, value] : keys)
            fuzz::Check(
                expected[section].count(key) != 0,
                "a key appeared that was neither in the file nor set: [" + section + "] " + key,
                value);
    for (const auto& [section, keys] : expected)
        for (const auto& [key, value] : keys) {
            const std::string where = "[" + section + "] " + key;
            auto found = after[section].find(key);
            fuzz::Check(found != after[section].end(), "a key was lost: " + where, value);
            const std::string& read = found->second;
            if (!was_set[{section, key}]) {
                fuzz::Check(read == value, "a key not set changed its value: " + where, read);
            } else if (HasControl(value)) {
                fuzz::Check(
                    read.find_first_of(std::string("\r\n\0", 3)) == std::string::npos,
                    "a value set with control characters reads back with a line end: " + where,
                    read);
            } else {
                fuzz::Check(read == value.substr(0, kMaxValue),
                            "a value set reads back changed: " + where,
                            value + "  read back as  " + read);
            }
        }
    return 0;
}
