#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "fs/mounts.h"  // the drive kind codes

namespace vaultor::fs {

// The one exception of the file services: a letter outside A..Z.
class ConversionError : public std::runtime_error {
  public:
    ConversionError() : std::runtime_error("Not a valid drive letter") {}
};

// Throws ConversionError for anything but a..z and A..Z.
bool IsDriveReady(char letter);
int GetDriveKind(char letter);
bool GetVolumeLabel(char letter, std::string& label);
// These take the letter as it is: a lower-case letter gives -1.
std::int64_t GetDriveTotalBytes(char letter);
std::int64_t GetDriveFreeBytes(char letter);
// The largest file the drive's file system can hold: FAT keeps sizes in 32
// bits. INT64_MAX where nothing smaller is known.
std::int64_t GetMaxFileSize(char letter);
// The mount source of the drive's file system (a network drive's name).
std::string GetDriveSourceName(char letter);

// "/" among the 2nd to 12th characters becomes "_", a control character "?";
// empty gives "No_Label".
std::string CleanVolumeLabel(std::string label);

}  // namespace vaultor::fs
