#define SI_NO_CONVERSION
// Debian ships the template bodies behind SI_IMPLEMENTATION; this is the one unit that includes
// them.
#define SI_IMPLEMENTATION
#include "state/ini_file.h"

#include <SimpleIni.h>
#include <sys/stat.h>

#include "fs/atomic_write.h"

namespace vaultor {
namespace {

constexpr size_t kMaxTextValue = 2047;

std::string Unquoted(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

struct IniFile::Impl {
    CSimpleIniA ini{/*utf8=*/false, /*multikey=*/false, /*multiline=*/false};
    Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile(std::string path) : path_(std::move(path)), impl_(std::make_unique<Impl>()) {}
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;
IniFile::~IniFile() = default;

IniFile IniFile::Read(const std::string& path) {
    IniFile file(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        file.impl_->ini.LoadFile(path.c_str()) < 0)
        file.impl_ = std::make_unique<Impl>();
    return file;
}

IniFile IniFile::ForWrite(const std::string& path) {
    IniFile file(path);
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || file.impl_->ini.LoadFile(path.c_str()) < 0))
        throw WriteError(path);
    return file;
}

std::optional<std::string> IniFile::Text(const char* section, const char* key) const {
    const char* value = impl_->ini.GetValue(section, key, nullptr);
    if (!value) return std::nullopt;
    std::string text = Unquoted(value);
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
    CSimpleIniA::TNamesDepend keys;
    impl_->ini.GetAllKeys(section, keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& key : keys) out.emplace_back(key.pItem, Text(section, key.pItem).value_or(""));
    return out;
}

void IniFile::Set(const char* section, const char* key, const std::string& value) {
    impl_->ini.SetValue(section, key, value.c_str());
}

void IniFile::SetBool(const char* section, const char* key, bool value) {
    Set(section, key, value ? "1" : "0");
}

void IniFile::SetInteger(const char* section, const char* key, std::int64_t value) {
    Set(section, key, std::to_string(value));
}

void IniFile::Write() const {
    std::string text;
    if (impl_->ini.Save(text) < 0) throw WriteError(path_);
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        if (c != '\r') crlf += c;
    }
    // One blank line between sections is enough; SimpleIni writes two.
    for (size_t at; (at = crlf.find("\r\n\r\n\r\n")) != std::string::npos;) crlf.erase(at, 2);
    if (!fs::WriteFileAtomically(path_, crlf)) throw WriteError(path_);
}

}  // namespace vaultor
