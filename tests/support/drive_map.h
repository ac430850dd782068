#pragma once

#include <string>
#include <vector>

namespace vaultor::test {

// Sets a drive table of the test's own from --drive forms ("E=/tmp/x,kind=4");
// a failing form fails the test.
void MapDrives(const std::vector<std::string>& options);

// Puts the default table (C: for "/" only) back when the test ends.
class DriveTableScope {
  public:
    DriveTableScope() = default;
    DriveTableScope(const DriveTableScope&) = delete;
    DriveTableScope& operator=(const DriveTableScope&) = delete;
    ~DriveTableScope();
};

}  // namespace vaultor::test
