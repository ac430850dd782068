#pragma once

#include <string>
#include <string_view>

namespace vaultor::fs {

// A path in letter form ("S:\Data\Foto") that may be handed to the system:
// no NUL byte (it would cut the path the system sees while the program goes
// on with the whole text), and no "." or ".." component ("S:\Data\..\..\x"
// would lead a copy out of the drive folders on the target). Both "\" and
// "/" separate components, as the translation to native paths treats them.
bool IsSafeLetterPath(std::string_view path);

// "S:Foto" (letter and colon without the backslash) is meant from the root:
// "S:\Foto". Anything else is returned as it is.
std::string RootedLetterPath(std::string path);

}  // namespace vaultor::fs
