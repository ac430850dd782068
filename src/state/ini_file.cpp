#include "state/ini_file.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_map>

#include "fs/atomic_write.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"

namespace vaultor {
namespace {

constexpr std::size_t kMaxTextValue = 2047;

// One line of the file as it was read: its bytes and its own line end.
struct Line {
    std::string text;
    std::string end;
};

// The lines before the first section, or a section from its header on.
struct Block {
    std::optional<std::string> name;  // folded; none for the head or a name that is unusable
    std::vector<Line> lines;
};

struct Entry {
    std::string_view key;
    std::string_view value;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A line holding a control character (a NUL above all) is no setting: what
// the system would do with it is not what the bytes say.
bool IsControl(unsigned char c) {
    return (c < 0x20 && c != '\t') || c == 0x7f;
}

bool HasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return IsControl(c); });
}

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "[name]": the name, trimmed; nullopt when the line is no header.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = Trimmed(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trimmed(line.substr(1, close - 1));
}

std::optional<Entry> ParseEntry(std::string_view line) {
    if (HasControlCharacter(line)) return std::nullopt;
    line = Trimmed(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    Entry e{Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1))};
    if (e.key.empty()) return std::nullopt;
    return e;
}

std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// The value as a line holds it so that reading gives it back: control
// characters replaced, and quoted when reading would otherwise trim it or
// drop its quotes.
std::string ValueForm(const std::string& value) {
    std::string safe = value;
    for (char& c : safe)
        if (IsControl(static_cast<unsigned char>(c))) c = '?';
    bool trimmed = !safe.empty() && (IsBlank(safe.front()) || IsBlank(safe.back()));
    bool quoted = safe.size() >= 2 && (safe.front() == '"' || safe.front() == '\'') &&
                  safe.back() == safe.front();
    return trimmed || quoted ? '"' + safe + '"' : safe;
}

std::string SafeName(const char* name) {
    std::string safe = name;
    for (char& c : safe)
        if (IsControl(static_cast<unsigned char>(c)) || c == '[' || c == ']' || c == '=') c = '?';
    return safe;
}

}  // namespace

struct IniFile::Impl {
    std::vector<Block> blocks{Block{}};
    std::unordered_map<std::string, std::vector<size_t>> sections;  // folded name: blocks

    void Parse(std::string_view bytes) {
        size_t start = 0;
        while (start < bytes.size()) {
            size_t lf = bytes.find('\n', start);
            size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
            size_t text_stop = stop > start && bytes[stop - 1] == '\r' ? stop - 1 : stop;
            Line line{std::string(bytes.substr(start, text_stop - start)),
                      std::string(bytes.substr(text_stop, stop - text_stop))};
            if (lf != std::string_view::npos) line.end += '\n';
            Add(std::move(line));
            start = lf == std::string_view::npos ? bytes.size() : lf + 1;
        }
    }

    void Add(Line line) {
        if (auto name = HeaderName(line.text)) {
            Block block;
            // A header with a control character begins a section that no name
            // finds, so its keys are not taken for those of the section before.
            if (!HasControlCharacter(line.text)) {
                block.name = Folded(*name);
                sections[*block.name].push_back(blocks.size());
            }
            blocks.push_back(std::move(block));
        }
        blocks.back().lines.push_back(std::move(line));
    }

    // Where the first line of `key` in a section of that name is.
    struct Found {
        size_t block = 0;
        size_t line = 0;
    };

    std::optional<Found> Find(const char* section, const char* key) const {
        auto it = sections.find(Folded(section));
        if (it == sections.end()) return std::nullopt;
        std::string folded_key = Folded(key);
        for (size_t b : it->second) {
            const Block& block = blocks[b];
            for (size_t i = 1; i < block.lines.size(); ++i)
                if (auto e = ParseEntry(block.lines[i].text); e && Folded(e->key) == folded_key)
                    return Found{b, i};
        }
        return std::nullopt;
    }

    Line& LineAt(Found at) { return blocks[at.block].lines[at.line]; }
    const Line& LineAt(Found at) const { return blocks[at.block].lines[at.line]; }

    Block* FirstSection(const char* section) {
        auto it = sections.find(Folded(section));
        return it == sections.end() ? nullptr : &blocks[it->second.front()];
    }

    // The last line of the file gets an end before anything follows it (a
    // lone CR ends only the file's last line: it gets its LF).
    static void EndLine(Line& line) {
        if (line.end.empty())
            line.end = "\r\n";
        else if (line.end.back() != '\n')
            line.end += '\n';
    }

    void Append(const std::string& section, Line entry) {
        Block* last = &blocks.back();
        if (!last->lines.empty()) {
            EndLine(last->lines.back());
            if (!Trimmed(last->lines.back().text).empty()) last->lines.push_back({"", "\r\n"});
        }
        Add({"[" + section + "]", "\r\n"});
        blocks.back().lines.push_back(std::move(entry));
    }

    // After the section's last line that is not blank, as the system does.
    static void Insert(Block& block, Line entry) {
        size_t at = block.lines.size();
        while (at > 1 && Trimmed(block.lines[at - 1].text).empty()) --at;
        EndLine(block.lines[at - 1]);
        block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }
};

IniFile::IniFile(std::string path) : path_(std::move(path)), impl_(std::make_unique<Impl>()) {}
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;
IniFile::~IniFile() = default;

IniFile IniFile::FromBytes(const std::string& path, std::string_view bytes) {
    IniFile file(path);
    file.impl_->Parse(bytes);
    return file;
}

IniFile IniFile::Read(const std::string& path) {
    using Status = fs::SmallFile::Status;
    fs::SmallFile read = fs::ReadSmallFile(path, kMaxBytes);
    IniFile file = FromBytes(path, read.bytes);
    if (read.status == Status::NotAFile || read.status == Status::TooLarge)
        file.problem_ = Printf(_("Het bestand %s wordt niet gebruikt: het is geen gewoon "
                                 "bestand of is groter dan 4 MB."),
                               path.c_str());
    return file;
}

IniFile IniFile::ForWrite(const std::string& path) {
    using Status = fs::SmallFile::Status;
    fs::SmallFile read = fs::ReadSmallFile(path, kMaxBytes);
    if (read.status == Status::Unreadable) throw WriteError(path);
    IniFile file = FromBytes(path, read.bytes);
    if (read.status == Status::NotAFile || read.status == Status::TooLarge) {
        auto aside = fs::SetAside(path);
        if (!aside) throw WriteError(path);
        file.problem_ = Printf(_("Het bestand %s was niet te gebruiken en is bewaard als %s."),
                               path.c_str(), aside->c_str());
    }
    return file;
}

std::optional<std::string> IniFile::Text(const char* section, const char* key) const {
    auto found = impl_->Find(section, key);
    if (!found) return std::nullopt;
    std::string text = Unquoted(ParseEntry(impl_->LineAt(*found).text)->value);
    if (text.size() > kMaxTextValue) text.resize(kMaxTextValue);
    return text;
}

std::int32_t IniFile::Integer(const char* section, const char* key, std::int32_t fallback) const {
    auto text = Text(section, key);
    if (!text) return fallback;
    return ParseIniInteger(*text).value_or(fallback);
}

bool IniFile::Bool(const char* section, const char* key, bool fallback) const {
    return Integer(section, key, fallback ? 1 : 0) != 0;
}

std::vector<std::pair<std::string, std::string>> IniFile::Section(const char* section) const {
    std::vector<std::pair<std::string, std::string>> out;
    auto it = impl_->sections.find(Folded(section));
    if (it == impl_->sections.end()) return out;
    std::unordered_map<std::string, bool> seen;
    for (size_t b : it->second) {
        const Block& block = impl_->blocks[b];
        for (size_t i = 1; i < block.lines.size(); ++i) {
            auto e = ParseEntry(block.lines[i].text);
            if (!e || !seen.emplace(Folded(e->key), true).second) continue;
            std::string value = Unquoted(e->value);
            if (value.size() > kMaxTextValue) value.resize(kMaxTextValue);
            out.emplace_back(std::string(e->key), std::move(value));
        }
    }
    return out;
}

void IniFile::Set(const char* section, const char* key, const std::string& value) {
    if (auto found = impl_->Find(section, key)) {
        Line& line = impl_->LineAt(*found);
        line.text = std::string(ParseEntry(line.text)->key) + "=" + ValueForm(value);
        return;
    }
    Line entry{SafeName(key) + "=" + ValueForm(value), "\r\n"};
    if (Block* block = impl_->FirstSection(section))
        Impl::Insert(*block, std::move(entry));
    else
        impl_->Append(SafeName(section), std::move(entry));
}

void IniFile::SetBool(const char* section, const char* key, bool value) {
    Set(section, key, value ? "1" : "0");
}

void IniFile::SetInteger(const char* section, const char* key, std::int64_t value) {
    Set(section, key, std::to_string(value));
}

void IniFile::RemoveSection(const char* section) {
    auto it = impl_->sections.find(Folded(section));
    if (it == impl_->sections.end()) return;
    auto& blocks = impl_->blocks;
    const std::vector<size_t> gone = it->second;
    for (auto b = gone.rbegin(); b != gone.rend(); ++b) {
        // The blank line put before a section appended at the end goes with it.
        if (*b + 1 == blocks.size() && *b > 0) {
            auto& before = blocks[*b - 1].lines;
            if (before.size() > 1 && Trimmed(before.back().text).empty()) before.pop_back();
        }
        blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(*b));
    }
    impl_->sections.clear();
    for (size_t b = 0; b < blocks.size(); ++b)
        if (blocks[b].name) impl_->sections[*blocks[b].name].push_back(b);
}

std::string IniFile::Bytes() const {
    std::string out;
    for (const Block& block : impl_->blocks)
        for (const Line& line : block.lines) {
            out += line.text;
            out += line.end;
        }
    return out;
}

void IniFile::Write() const {
    // A file the reader would refuse is a file whose settings are all lost:
    // the one on disk stays as it is instead.
    std::string bytes = Bytes();
    if (bytes.size() > kMaxBytes || !fs::WriteFileAtomically(path_, bytes)) throw WriteError(path_);
}

}  // namespace vaultor
