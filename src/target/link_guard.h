#pragma once

#include <string>
#include <vector>

namespace vaultor {

// A copy's folders must lie inside the drive folder they belong to: a
// symbolic link among them (made by hand, or by another program) would take
// copies, and the moves of what left the source, to a place outside the
// target. Asked folder by folder in a depth-first walk, it looks only at the
// part of each path below the last folder it found real.
class TargetLinkGuard {
  public:
    // The target's root (native); a link there is the user's own mapping.
    explicit TargetLinkGuard(std::string root);

    enum class Finding {
        None,            // every existing folder down to it is a real folder
        Link,            // it, or a folder above it, is a link not met before
        BelowKnownLink,  // below a link already reported
    };
    // For a native folder below the root; the link's native path in *link.
    Finding Look(const std::string& folder, std::string* link);

  private:
    std::string root_;
    std::vector<std::string> real_;  // folders found real, each below the one before
    std::vector<std::string> links_;
};

}  // namespace vaultor
