#pragma once

#include <string>

namespace vaultor {

// The folder of the running program, without trailing "/".
std::string ExecutableFolder();

// A file or folder the install brings: beside the program, else in the
// install's share folder ("../share/vaultor"); the first when neither holds it.
std::string FindInstalledFile(const std::string& name);

// The native folder, with trailing "/", that holds the settings, lists,
// companion files and logs: VAULTOR_HOME when set; the program's own folder
// when it holds Vaultor.ini or a file "portable"; else $XDG_DATA_HOME/vaultor
// (~/.local/share/vaultor), made when missing. Empty when none can be had.
std::string ResolveProgramDir();

}  // namespace vaultor
