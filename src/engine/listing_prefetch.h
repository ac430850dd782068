#pragma once

#include <memory>
#include <string>

#include "engine/walk.h"

namespace vaultor {

// Reads folders for a walk on helper threads, ahead of it and in the order it
// will want them, so that reading the source and the walk's own work (a
// comparison with the target, the sums) go side by side. Whoever reads a
// folder adds the folders the walk will enter from it to the work, by their
// place in the walk, and the helpers take the first: they go in the walk's
// order, a bounded number of folders and entries ahead. A folder no helper has begun is read by the
// walk itself, so the walk never waits for work that has not started.
class ListingPrefetch {
  public:
    ListingPrefetch(WalkFence fence, WalkMode mode, bool target_folds_case);
    // The helpers are told to stop and left to finish the folder in hand on
    // their own: a source that stopped answering cannot hold the walk's end.
    ~ListingPrefetch();
    ListingPrefetch(const ListingPrefetch&) = delete;
    ListingPrefetch& operator=(const ListingPrefetch&) = delete;

    // A list folder (a link to a folder is followed), read here.
    WalkListing First(const std::string& native);
    // A folder the walk enters below one it read before.
    WalkListing Take(const std::string& native);
    WalkMode Mode() const;

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace vaultor
