#pragma once

#include <string>
#include <vector>

namespace vaultor::fs {

// The lines of a text file, ended by CR, LF or both (the last one may have no
// end). A file that cannot be read gives no lines; bytes are kept as they are.
std::vector<std::string> ReadTextLines(const std::string& native_path);

}  // namespace vaultor::fs
