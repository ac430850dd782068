#pragma once

#include <string>
#include <string_view>

namespace vaultor::fs {

// Writes a whole file through a temporary file in the same folder that is
// renamed over the old one, so a failed write leaves the old file whole.
// A file or folder whose owner-write bit is clear counts as read-only and is
// not written. Returns false (errno set) on failure; nothing is left behind.
bool WriteFileAtomically(const std::string& native_path, std::string_view content);

}  // namespace vaultor::fs
