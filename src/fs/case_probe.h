#pragma once

#include <string>
#include <string_view>

namespace vaultor::fs {

// Whether a folder folds the case of names (FAT, exFAT, CIFS: "Bild.png" and
// "bild.png" are one file there). Found out by making a temporary file with a
// lower-case name and asking for its upper-case twin; the file is removed. A
// folder that takes no file folds nothing a backup would write.
bool FoldsCase(const std::string& native_folder);
// The same for the root of a drive: never on a CD, under the time limit of a
// slow drive.
bool DriveFoldsCase(char letter);

// A name as a case-folding target sees it: ASCII letters in lower case.
std::string FoldedName(std::string_view name);

}  // namespace vaultor::fs
