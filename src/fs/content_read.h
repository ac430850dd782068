#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vaultor::fs {

// The XXH3-128 checksum of a file's bytes.
struct Sum128 {
    std::uint64_t high = 0, low = 0;
    bool operator==(const Sum128&) const = default;
    // 32 lowercase hex digits, the high half first.
    std::string Hex() const;
    // Exactly 32 hex digits (either case); nullopt for anything else.
    static std::optional<Sum128> FromHex(std::string_view text);
};

// Called after every chunk with the bytes of the file read so far; false
// ends the read there (Stop, or a watcher that walked away). A read that
// reached the end is complete whatever it answers.
using ChunkRead = std::function<bool(std::int64_t done)>;

enum class ReadEnd {
    Done,
    FirstFailed,   // the first (or only) file could not be opened or read
    SecondFailed,  // the second could not
    Stopped,       // ChunkRead answered false
};

struct ContentOutcome {
    ReadEnd end = ReadEnd::Done;
    int error_number = 0;  // errno of the failing call
    bool same = false;     // Done: both files hold the same bytes
};

// Compares two regular files (native paths) byte for byte in large chunks.
// The second is the copy under test: its cached pages are dropped before and
// as it is read, so what is compared is what its medium holds.
ContentOutcome CompareContents(const std::string& first, const std::string& second,
                               const ChunkRead& chunk_read);

struct SumOutcome {
    ReadEnd end = ReadEnd::Done;
    int error_number = 0;
    Sum128 sum;  // Done: of every byte of the file
};

// The checksum of a regular file (native path). `from_medium`: as
// CompareContents reads its second file, past the page cache.
SumOutcome SumOfContents(const std::string& native, bool from_medium, const ChunkRead& chunk_read);

}  // namespace vaultor::fs
