#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vaultor::fs {

// Compression states as the rest of the program knows them.
inline constexpr std::uint16_t kCompressionNone = 0;
inline constexpr std::uint16_t kCompressionDefault = 1;
inline constexpr std::uint16_t kCompressionLznt1 = 2;  // "compressed"

// Per-file compression: btrfs (the FS_COMPR_FL inode flag) and NTFS through
// ntfs-3g (bit 0x800 of the Windows attribute word). Elsewhere it is false.
bool SupportsCompression(char letter);
bool GetCompressionState(std::string_view path, std::uint16_t& state);
// True only when the state reads back as asked.
bool SetCompressionState(std::string_view path, std::uint16_t state);
bool IsFileCompressed(std::string_view path);
// The same on a native path, for work on a thread of its own (no drive table).
bool SetCompressedNative(const std::string& native, bool compressed);
void CompressPath(std::string_view path);
void UncompressPath(std::string_view path);
void CopyCompressionState(std::string_view source, std::string_view target);

// The same on an open file or folder, for the copy of one file.
enum class CompressionKind { None, Btrfs, Ntfs3g };
CompressionKind CompressionKindOf(int fd);
bool GetCompressedFd(int fd, CompressionKind kind, bool& compressed);
bool SetCompressedFd(int fd, CompressionKind kind, bool compressed);

}  // namespace vaultor::fs
