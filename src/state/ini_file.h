#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "state/settings.h"

namespace vaultor {

// A Windows initialisation file as the program reads and writes it: sections
// and key=value lines, case-insensitive names, CR LF line ends, one pair of
// quotes around a value dropped, written whole through a temporary file.
class IniFile {
  public:
    // For reading: a missing or unreadable file reads as empty.
    static IniFile Read(const std::string& path);
    // For changing and writing back: a file that exists but cannot be read
    // raises WriteError, so what it holds is never lost.
    static IniFile ForWrite(const std::string& path);

    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    ~IniFile();

    std::optional<std::string> Text(const char* section, const char* key) const;  // max 2047
    std::int32_t Integer(const char* section, const char* key, std::int32_t fallback) const;
    bool Bool(const char* section, const char* key, bool fallback) const;
    // The keys of a section in file order, with their values.
    std::vector<std::pair<std::string, std::string>> Section(const char* section) const;

    void Set(const char* section, const char* key, const std::string& value);
    void SetBool(const char* section, const char* key, bool value);
    void SetInteger(const char* section, const char* key, std::int64_t value);
    // Throws WriteError ("Unable to write to %s").
    void Write() const;

  private:
    struct Impl;
    explicit IniFile(std::string path);
    std::string path_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vaultor
