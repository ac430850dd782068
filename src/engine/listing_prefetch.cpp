#include "engine/listing_prefetch.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vaultor {

struct ListingPrefetch::Shared {
    // Folders read ahead and not yet taken, and their entries: the bound on
    // what the helpers hold.
    static constexpr size_t kMaxFolders = 256;
    static constexpr size_t kMaxEntries = 65536;

    // A folder's place in the walk: the positions of it and of each folder
    // above it among their siblings. Ordered so, folders come in walk order.
    using Place = std::vector<std::uint32_t>;
    enum class State { Waiting, Reading, Read };
    struct Slot {
        State state = State::Waiting;
        Place place;
        WalkListing listing;
    };

    WalkFence fence;
    WalkMode mode;
    bool folds_case;

    // A wake-up is a system call: helpers are woken when one waits for work
    // and there is some, the walk when it waits for the folder just read.
    std::mutex mutex;
    std::condition_variable work, read;
    int idle = 0;
    const std::string* awaited = nullptr;
    bool stop = false;
    std::map<Place, std::string> todo;  // natives by place: the first is the walk's next
    std::uint32_t roots = 0;
    std::unordered_map<std::string, Slot> slots;
    size_t held_folders = 0, held_entries = 0;

    WalkListing Read(const std::string& native, bool follow) const {
        return ListForWalk(native, fence, follow, mode == wmCompare);
    }

    // Under the lock: the folders to enter from `listing` become work.
    void PutAhead(const std::string& native, const Place& place, const WalkListing& listing) {
        auto enter = FoldersToEnter(listing, mode, folds_case);
        for (std::uint32_t i = 0; i < enter.size(); ++i) {
            std::string sub = native.empty() || native.back() != '/' ? native + '/' + enter[i]
                                                                     : native + enter[i];
            Place sub_place = place;
            sub_place.push_back(i);
            todo.emplace(sub_place, sub);
            slots[std::move(sub)].place = std::move(sub_place);
        }
        if (!enter.empty() && idle > 0) work.notify_one();
    }

    bool RoomAhead() const {
        return held_folders < kMaxFolders && (held_entries < kMaxEntries || held_folders == 0);
    }

    void Help() {
        std::unique_lock lock(mutex);
        for (;;) {
            ++idle;
            work.wait(lock, [&] { return stop || (!todo.empty() && RoomAhead()); });
            --idle;
            if (stop) return;
            std::string native = std::move(todo.begin()->second);
            todo.erase(todo.begin());
            auto found = slots.find(native);
            if (found == slots.end() || found->second.state != State::Waiting) continue;
            // An element keeps its place when the map grows; only the walk
            // erases it, and not while it is being read.
            Slot& slot = found->second;
            slot.state = State::Reading;
            ++held_folders;
            lock.unlock();
            WalkListing listing = Read(native, false);
            lock.lock();
            held_entries += listing.entries.size();
            PutAhead(native, slot.place, listing);
            slot.listing = std::move(listing);
            slot.state = State::Read;
            if (awaited && *awaited == native) read.notify_one();
        }
    }
};

ListingPrefetch::ListingPrefetch(WalkFence fence, WalkMode mode, bool target_folds_case)
    : shared_(std::make_shared<Shared>()) {
    shared_->fence = std::move(fence);
    shared_->mode = mode;
    shared_->folds_case = target_folds_case;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned helpers = std::min(cores, 2u);
    for (unsigned i = 0; i < helpers; ++i)
        std::thread([shared = shared_] { shared->Help(); }).detach();
}

WalkMode ListingPrefetch::Mode() const {
    return shared_->mode;
}

ListingPrefetch::~ListingPrefetch() {
    std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
    shared_->work.notify_all();
}

WalkListing ListingPrefetch::First(const std::string& native) {
    WalkListing listing = shared_->Read(native, true);
    std::lock_guard lock(shared_->mutex);
    shared_->PutAhead(native, {shared_->roots++}, listing);
    return listing;
}

WalkListing ListingPrefetch::Take(const std::string& native) {
    auto& s = *shared_;
    std::unique_lock lock(s.mutex);
    auto slot = s.slots.find(native);
    if (slot == s.slots.end() || slot->second.state == Shared::State::Waiting) {
        Shared::Place place;
        if (slot != s.slots.end()) {
            place = std::move(slot->second.place);
            s.todo.erase(place);
            s.slots.erase(slot);
        }
        lock.unlock();
        WalkListing listing = s.Read(native, false);
        lock.lock();
        s.PutAhead(native, place, listing);
        return listing;
    }
    Shared::Slot& taken = slot->second;
    s.awaited = &native;
    s.read.wait(lock, [&] { return taken.state == Shared::State::Read; });
    s.awaited = nullptr;
    WalkListing listing = std::move(taken.listing);
    s.slots.erase(native);
    --s.held_folders;
    s.held_entries -= listing.entries.size();
    if (s.idle > 0 && !s.todo.empty()) s.work.notify_one();
    return listing;
}

}  // namespace vaultor
