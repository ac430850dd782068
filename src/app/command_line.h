#pragma once

#include <string>

#include "fs/drive_mapping.h"

namespace vaultor {

// The options both programs take. Each throws std::invalid_argument with a
// line that names what is wrong.

// --help or -h among the arguments.
bool AsksForHelp(int argc, char** argv);
// --version among the arguments, unless the command is restore (whose
// --version names a version to restore).
bool AsksForVersion(int argc, char** argv);

// --program-dir MAP: the folder is made when missing (not for --help) and
// becomes the program folder. Taken before anything is said, since the
// folder's settings decide the language.
void TakeProgramDirOption(int argc, char** argv);

// One --drive X=MAP[,kind=N][,label=TEKST][,mounted]; a relative folder is
// made absolute against the folder the program was started from.
fs::DriveMapping DriveArgument(std::string text);

}  // namespace vaultor
