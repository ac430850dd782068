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

// One spelling for each folder in letter form, so that a folder named twice
// ("s:/Foto", "S:\\Foto\", "S:Foto") is known as one ("S:\Foto"): the letter
// upper-cased, "S:Foto" read from the root, "/" as "\", a run of separators
// as one, no separator at the end but the root's. What is not in letter form
// is returned as it is.
std::string CanonicalLetterPath(std::string path);

}  // namespace vaultor::fs
