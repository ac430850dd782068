#pragma once

#include <string>
#include <string_view>

namespace vaultor::fs {

// Writes a whole file through a temporary file in the same folder that is
// renamed over the old one, so a failed write leaves the old file whole.
// Returns false (errno set) on failure; nothing is left behind.
bool WriteFileAtomically(const std::string& native_path, std::string_view content);

}  // namespace vaultor::fs
