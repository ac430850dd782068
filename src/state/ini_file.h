#pragma once

#include <cstddef>
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
// and key=value lines, case-insensitive names, one pair of quotes around a
// value dropped. A write changes the file line by line in place: every line
// the program does not set (unknown sections and keys, comments, lines
// without "=", duplicate keys, lines holding a NUL) stays as it was, in its
// order, with its own line end; new lines end in CR LF. The first of
// duplicate keys or sections is the one read and written.
class IniFile {
  public:
    // Larger files are not settings a person wrote; they are not read.
    static constexpr std::size_t kMaxBytes = 4 << 20;

    // For reading: a missing or unreadable file reads as empty; one that is
    // not a regular file or is larger than kMaxBytes too, and Problem() then
    // names it.
    static IniFile Read(const std::string& path);
    // For changing and writing back: a regular file that cannot be read
    // raises WriteError, so what it holds is never lost. One that is not a
    // regular file or is too large is set aside as "<path>.bad-<date>" and the
    // file starts empty; Problem() then names both.
    static IniFile ForWrite(const std::string& path);
    // The bytes of a file, as Read would take them from `path`.
    static IniFile FromBytes(const std::string& path, std::string_view bytes);

    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    ~IniFile();

    std::optional<std::string> Text(const char* section, const char* key) const;  // max 2047
    std::int32_t Integer(const char* section, const char* key, std::int32_t fallback) const;
    bool Bool(const char* section, const char* key, bool fallback) const;
    // The keys of a section in file order, with their values.
    std::vector<std::pair<std::string, std::string>> Section(const char* section) const;

    // Control characters in a value are replaced: a value is one line.
    void Set(const char* section, const char* key, const std::string& value);
    void SetBool(const char* section, const char* key, bool value);
    void SetInteger(const char* section, const char* key, std::int64_t value);
    // Every section of that name goes, with its lines.
    void RemoveSection(const char* section);
    // The file as Write() would write it.
    std::string Bytes() const;
    // Throws WriteError ("Unable to write to %s"), also when the file would
    // grow past kMaxBytes; the file on disk is then left as it was.
    void Write() const;

    // A message for the user when the file could not be used, else empty.
    const std::string& Problem() const { return problem_; }

  private:
    struct Impl;
    explicit IniFile(std::string path);
    std::string path_;
    std::string problem_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vaultor
