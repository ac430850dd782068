#include "fs/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "fs/compression.h"
#include "fs/drive_table.h"
#include "fs/file_ops.h"
#include "fs/pump.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

// The folders above a native path, made where missing; 0 or an errno.
int MakeFoldersAbove(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

constexpr std::string_view kTempPrefix = ".vaultor-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr size_t kTempHexDigits = 12;
constexpr long kFuseMagic = 0x65735546;
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;

// File systems a sync of the whole file system does not reach (FUSE: the
// daemon's own device is never told), or that keep writes on another
// machine: there only a sync of the file itself puts its data on the medium.
bool SyncsOnlyPerFile(long type) {
    switch (type) {
        case kFuseMagic:
        case 0x6969:      // NFS
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x517B:      // SMB
            return true;
        default:
            return false;
    }
}

CopyOutcome Fail(CopyFailure failure, int error_number) {
    CopyOutcome outcome;
    outcome.failure = failure;
    outcome.error_number = error_number;
    return outcome;
}

CopyOutcome FailOnTarget(int error_number) {
    switch (error_number) {
        case ENOSPC:
        case EDQUOT:
            return Fail(CopyFailure::NoRoom, error_number);
        case EIO:
            return Fail(CopyFailure::IoError, error_number);
        default:
            return Fail(CopyFailure::Refused, error_number);
    }
}

CopyOutcome FailOnSource(int error_number) {
    switch (error_number) {
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
            return Fail(CopyFailure::SourceMissing, error_number);
        case EACCES:
        case EPERM:
            return Fail(CopyFailure::Refused, error_number);
        default:
            return Fail(CopyFailure::IoError, error_number);
    }
}

std::string NewTempName() {
    thread_local std::mt19937_64 random{std::random_device{}()};  // copies run side by side
    static const char* hex = "0123456789abcdef";
    std::string name(kTempPrefix);
    std::uint64_t bits = random();
    for (size_t i = 0; i < kTempHexDigits; ++i, bits >>= 4) name += hex[bits & 15];
    return name + std::string(kTempSuffix);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = CopyFileOps().Write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Holds the temporary file until it is committed; removes it otherwise.
class TempFile {
  public:
    TempFile(int dir_fd, std::string name, UniqueFd fd)
        : dir_fd_(dir_fd), name_(std::move(name)), fd_(std::move(fd)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        fd_.Reset();
        if (!committed_) ::unlinkat(dir_fd_, name_.c_str(), 0);
    }
    int Fd() const { return fd_.Get(); }
    const std::string& Name() const { return name_; }
    int Close() { return fd_.Close(); }
    void Committed() { committed_ = true; }

  private:
    int dir_fd_;
    std::string name_;
    UniqueFd fd_;
    bool committed_ = false;
};

// On ntfs-3g a file gets its compression from its folder when it is created;
// a change afterwards is dropped. So the folder takes the wanted state for the
// moment of creation and gets its own back afterwards.
class FolderCompressionForCreate {
  public:
    FolderCompressionForCreate(int dir_fd, std::optional<bool> wanted) : dir_fd_(dir_fd) {
        if (!wanted || CompressionKindOf(dir_fd) != CompressionKind::Ntfs3g) return;
        bool own = false;
        if (!GetCompressedFd(dir_fd, CompressionKind::Ntfs3g, own) || own == *wanted) return;
        if (SetCompressedFd(dir_fd, CompressionKind::Ntfs3g, *wanted)) {
            restore_ = true;
            own_state_ = own;
        }
    }
    FolderCompressionForCreate(const FolderCompressionForCreate&) = delete;
    FolderCompressionForCreate& operator=(const FolderCompressionForCreate&) = delete;
    ~FolderCompressionForCreate() {
        if (restore_) SetCompressedFd(dir_fd_, CompressionKind::Ntfs3g, own_state_);
    }

  private:
    int dir_fd_;
    bool restore_ = false;
    bool own_state_ = false;
};

struct SplitPath {
    std::string folder;
    std::string name;
};

SplitPath Split(const std::string& native) {
    size_t slash = native.rfind('/');
    if (slash == std::string::npos) return {".", native};
    return {slash == 0 ? "/" : native.substr(0, slash), native.substr(slash + 1)};
}

// What the kernel declined once, asked again for no file: copy_file_range
// between a source device and a target file system, a rename that refuses
// to replace on a file system. Shared by the copying threads, and never
// destroyed: a copy thread left behind may still come back to it.
template <typename Key>
class DeclinedSet {
  public:
    bool Has(const Key& key) {
        std::lock_guard lock(mutex_);
        return keys_.count(key) != 0;
    }
    void Add(const Key& key) {
        std::lock_guard lock(mutex_);
        keys_.insert(key);
    }
    static DeclinedSet& Shared() {
        alignas(DeclinedSet) static unsigned char storage[sizeof(DeclinedSet)];
        static DeclinedSet* set = ::new (storage) DeclinedSet;
        return *set;
    }

  private:
    std::mutex mutex_;
    std::set<Key> keys_;
};

using FileSystemId = std::pair<int, int>;
FileSystemId IdOf(const struct statfs& fs) {
    return {fs.f_fsid.__val[0], fs.f_fsid.__val[1]};
}
using RangePair = std::pair<dev_t, FileSystemId>;  // source device, target file system
DeclinedSet<RangePair>& Declined() {
    return DeclinedSet<RangePair>::Shared();
}
DeclinedSet<FileSystemId>& NoReplaceDeclined() {
    return DeclinedSet<FileSystemId>::Shared();
}

// One buffer for every copy of the thread, never cleared: a run copies many
// small files, and filling a fresh megabyte for each would cost more than the copy.
char* Buffer(size_t size) {
    thread_local std::unique_ptr<char[]> buffer;
    thread_local size_t capacity = 0;
    if (capacity < size) {
        buffer = std::make_unique_for_overwrite<char[]>(size);
        capacity = size;
    }
    return buffer.get();
}

// The content loop: copy_file_range where it may be used, read and write with
// a large buffer otherwise and when the kernel declines. The chunk adapts so
// that progress comes every 20-50 ms also on a slow medium.
class ContentCopier {
  public:
    ContentCopier(int in, int out, bool may_share, const CopyRequest& request, std::int64_t total)
        : in_(in), out_(out), use_range_(may_share), request_(request), total_(total) {}

    // Returns 0, or the errno of the failure; *on_source tells which side failed.
    int Run(bool* on_source) {
        last_report_ = PumpClockMs();
        while (true) {
            std::int64_t started = PumpClockMs();
            ssize_t n = use_range_ ? RangeChunk() : BufferChunk(on_source);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (use_range_ && Declined(errno)) {
                    use_range_ = false;
                    range_declined_ = true;
                    continue;
                }
                return errno;
            }
            if (n == 0) {
                // copy_file_range may also answer 0 short of the end on some file
                // systems; then reading decides.
                if (!use_range_ || done_ >= total_) return 0;
                use_range_ = false;
                continue;
            }
            done_ += n;
            AdaptChunk(PumpClockMs() - started);
            Report();
            if (request_.cancel && request_.cancel->load()) return ECANCELED;
            // The size the source had is copied: no call to find its end. A
            // source that grew meanwhile is told by the look after the copy.
            if (done_ == total_) return 0;
        }
    }

    static bool Declined(int e) {
        return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EBADF ||
               e == ETXTBSY || e == EPERM;
    }
    ssize_t RangeChunk() { return CopyFileOps().CopyRange(in_, out_, chunk_); }
    ssize_t BufferChunk(bool* on_source) {
        char* buffer = Buffer(chunk_);
        ssize_t n = CopyFileOps().Read(in_, buffer, chunk_);
        if (n < 0) {
            *on_source = true;
            return n;
        }
        *on_source = false;
        if (n > 0 && !WriteAll(out_, buffer, static_cast<size_t>(n))) return -1;
        return n;
    }
    void AdaptChunk(std::int64_t took_ms) {
        if (took_ms > 40 && chunk_ > kMinChunk) chunk_ /= 2;
        if (took_ms < 5 && chunk_ < kMaxChunk) chunk_ *= 2;
    }
    std::int64_t Done() const { return done_; }
    bool RangeDeclined() const { return range_declined_; }

  private:
    void Report() {
        if (!request_.progress) return;
        std::int64_t now = PumpClockMs();
        if (now - last_report_ < 20) return;
        last_report_ = now;
        request_.progress(done_, total_);
    }

    static constexpr size_t kMinChunk = 64 * 1024;
    static constexpr size_t kMaxChunk = 8 * 1024 * 1024;
    int in_;
    int out_;
    bool use_range_;
    bool range_declined_ = false;
    const CopyRequest& request_;
    std::int64_t total_;
    std::int64_t done_ = 0;
    std::int64_t last_report_ = 0;
    size_t chunk_ = 1024 * 1024;
};

}  // namespace

std::shared_ptr<const TargetFolder> TargetFolder::Open(const std::string& native) {
    auto folder = std::make_shared<TargetFolder>();
    folder->native = native;
    folder->fd.Reset(::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder->fd) return nullptr;
    folder->known_fs = ::fstatfs(folder->fd.Get(), &folder->fs) == 0;
    return folder;
}

int MoveAside(const std::string& from, const std::string& to) {
    if (int error = MakeFoldersAbove(to)) return error;
    return CopyFileOps().RenameOut(AT_FDCWD, from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool IsCopyTempName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempHexDigits + kTempSuffix.size()) return false;
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix) return false;
    if (name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) return false;
    auto hex = name.substr(kTempPrefix.size(), kTempHexDigits);
    return std::all_of(hex.begin(), hex.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

namespace {

// Moves the copy about to be replaced to `keep_as` (nothing when no path is
// given or nothing stands there); 0 or an errno, and then it stayed.
int KeepOldCopy(FileOps& ops, int dir_fd, const std::string& name, const std::string& keep_as,
                CopyOutcome& facts) {
    struct stat old {};
    if (keep_as.empty() || ::fstatat(dir_fd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;  // nothing stands there to keep
    if (int error = MakeFoldersAbove(keep_as)) return error;
    if (ops.RenameOut(dir_fd, name.c_str(), keep_as.c_str()) == 0) {
        facts.kept_old = true;
        return 0;
    }
    return errno == ENOENT ? 0 : errno;
}

// The paths are native here: the drive table belongs to the caller's thread.
CopyOutcome CopyWithFacts(const std::optional<std::string>& source_native,
                          const std::optional<std::string>& target_native,
                          const CopyRequest& request, CopyOutcome& facts) {
    if (!source_native) return Fail(CopyFailure::SourceMissing, ENOENT);
    if (!target_native) return Fail(CopyFailure::Refused, ENOENT);

    // O_NONBLOCK: opening a FIFO must never wait for a writer.
    FileOps& ops = CopyFileOps();
    UniqueFd in(ops.Open(source_native->c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in) return FailOnSource(errno);
    struct stat src {};
    if (ops.Fstat(in.Get(), &src) != 0) return FailOnSource(errno);
    if (!S_ISREG(src.st_mode)) return Fail(CopyFailure::NotRegularFile, EINVAL);
    // O_NONBLOCK stays: on a regular file reads take no notice of it.
    facts.source_size = src.st_size;

    SplitPath where = Split(*target_native);
    UniqueFd own_dir;
    struct statfs target_fs {};
    bool known_fs = false;
    int dir_fd = -1;
    if (request.folder && request.folder->native == where.folder) {
        dir_fd = request.folder->fd.Get();
        target_fs = request.folder->fs;
        known_fs = request.folder->known_fs;
    } else {
        own_dir.Reset(ops.Open(where.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!own_dir) return FailOnTarget(errno);
        dir_fd = own_dir.Get();
        known_fs = ::fstatfs(dir_fd, &target_fs) == 0;
    }
    bool fuse = known_fs && target_fs.f_type == kFuseMagic;
    bool sync_each = known_fs && SyncsOnlyPerFile(static_cast<long>(target_fs.f_type)) &&
                     !request.flushed_at_checkpoints;
    const bool try_no_replace = request.expect_new && !NoReplaceDeclined().Has(IdOf(target_fs));
    bool replaces = false;
    auto look_at_final_name = [&] {
        struct stat old {};
        replaces = ::fstatat(dir_fd, where.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        facts.target_existed = replaces && S_ISREG(old.st_mode);
    };
    if (!try_no_replace) look_at_final_name();

    std::string temp_name;
    UniqueFd out;
    {
        FolderCompressionForCreate folder_state(dir_fd, request.compressed);
        for (int attempt = 0; attempt < 8 && !out; ++attempt) {
            temp_name = NewTempName();
            out.Reset(ops.OpenAt(dir_fd, temp_name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!out && errno != EEXIST) break;
        }
        if (!out) return FailOnTarget(errno);
    }
    TempFile temp(dir_fd, temp_name, std::move(out));

    bool may_share = true;
    if (request.compressed) {
        CompressionKind kind = CompressionKindOf(temp.Fd());
        if (kind == CompressionKind::Btrfs)
            SetCompressedFd(temp.Fd(), kind,
                            *request.compressed);  // on the empty file, before data
        // Within one btrfs copy_file_range would share the source's uncompressed extents.
        struct stat dst {};
        may_share =
            !(*request.compressed && ::fstat(temp.Fd(), &dst) == 0 && dst.st_dev == src.st_dev);
    }
    bool on_source = false;
    const RangePair fs_pair{src.st_dev, IdOf(target_fs)};
    if (known_fs && Declined().Has(fs_pair)) may_share = false;
    ContentCopier copier(in.Get(), temp.Fd(), may_share, request, src.st_size);
    int copied = copier.Run(&on_source);
    if (copier.RangeDeclined() && known_fs) Declined().Add(fs_pair);
    if (int e = copied) {
        if (e == ECANCELED) return Fail(CopyFailure::Cancelled, e);
        return on_source ? Fail(CopyFailure::IoError, e) : FailOnTarget(e);
    }
    // A file written to meanwhile would be stored with the date it had before,
    // over a good old copy, and might never be copied again: the old copy stays.
    struct stat after {};
    if (ops.Fstat(in.Get(), &after) != 0) return FailOnSource(errno);
    if (after.st_size != src.st_size || after.st_mtim.tv_sec != src.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != src.st_mtim.tv_nsec || copier.Done() != src.st_size)
        return Fail(CopyFailure::SourceChanged, EAGAIN);

    // The owner first (it clears set-id bits); set-id bits only on a copy that
    // has the source's owner, never on one owned by whoever runs the backup. A
    // target that cannot hold owners or bits (FAT, exFAT) refuses: not a failure.
    // A copy made by the source's own owner has that owner already (its
    // group is checked below, where the folder or the mount may give another).
    static const uid_t kOwnUid = ::geteuid();
    static const gid_t kOwnGid = ::getegid();
    const bool owned_already =
        src.st_uid == kOwnUid && src.st_gid == kOwnGid && !(src.st_mode & (S_ISUID | S_ISGID));
    bool same_owner = owned_already || ::fchown(temp.Fd(), src.st_uid, src.st_gid) == 0;
    ::fchmod(temp.Fd(), src.st_mode & (same_owner ? 07777 : 0777));
    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (ops.SetTimes(temp.Fd(), times) != 0) return FailOnTarget(errno);
    // Replacing an old copy: the new data must be on the medium before the
    // rename, or a power cut could leave neither. A new file costs nothing here.
    // Where nothing later would flush it, a new copy too: once its name
    // stands, its data is on the medium.
    if ((sync_each || replaces) && ops.Sync(temp.Fd(), !sync_each) != 0) return FailOnTarget(errno);
    struct stat written {};
    if (ops.Fstat(temp.Fd(), &written) != 0) return FailOnTarget(errno);
    if (written.st_size != copier.Done()) return Fail(CopyFailure::IoError, EIO);
    if (owned_already && (written.st_uid != src.st_uid || written.st_gid != src.st_gid))
        ::fchown(temp.Fd(), src.st_uid, src.st_gid);  // no set-id bit for it to clear
    if (request.compressed) {
        bool compressed = false;
        CompressionKind kind = CompressionKindOf(temp.Fd());
        if (GetCompressedFd(temp.Fd(), kind, compressed)) facts.target_compressed = compressed;
    }
    if (temp.Close() != 0) return FailOnTarget(errno);

    bool renamed = false;
    if (try_no_replace) {
        renamed = ops.RenameNoReplace(dir_fd, temp.Name().c_str(), where.name.c_str()) == 0;
        if (!renamed && errno != EEXIST) {
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return FailOnTarget(errno);
            NoReplaceDeclined().Add(IdOf(target_fs));
        }
        if (!renamed) {
            // A name appeared since the check, or the file system cannot
            // refuse: what stands there now is replaced as any old copy is.
            look_at_final_name();
            if (replaces && !sync_each) {
                UniqueFd again(
                    ops.OpenAt(dir_fd, temp.Name().c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0));
                if (!again || ops.Sync(again.Get(), true) != 0) return FailOnTarget(errno);
            }
        }
    }
    if (!renamed) {
        if (int error = KeepOldCopy(ops, dir_fd, where.name, request.keep_old_as, facts))
            return FailOnTarget(error);
        if (ops.RenameAt(dir_fd, temp.Name().c_str(), where.name.c_str()) != 0) {
            const int error = errno;
            if (facts.kept_old)  // the old copy goes back to its place
                ::renameat(AT_FDCWD, request.keep_old_as.c_str(), dir_fd, where.name.c_str());
            facts.kept_old = false;
            return FailOnTarget(error);
        }
    }
    temp.Committed();

    // Some FUSE file systems (fusefat) stamp a renamed entry with the current
    // time; set it again by name. The copy is complete either way.
    if (fuse) ::utimensat(dir_fd, where.name.c_str(), times, AT_SYMLINK_NOFOLLOW);
    facts.source_mtime = src.st_mtim.tv_sec;
    // What the copy holds: as written, but on FUSE and FAT file systems as
    // the final name shows it (fusefat re-dates a renamed entry).
    struct stat final_name = written;
    const bool look_again =
        fuse || !known_fs || target_fs.f_type == kMsdosMagic || target_fs.f_type == kExfatMagic;
    if (look_again && (::fstatat(dir_fd, where.name.c_str(), &final_name, 0) != 0 ||
                       !S_ISREG(final_name.st_mode)))
        return {};
    facts.target_seen = true;
    facts.target_size = final_name.st_size;
    facts.target_mtime = final_name.st_mtim.tv_sec;
    return {};
}

// What the copy found on its way, with how it ended.
void KeepFacts(CopyOutcome& outcome, const CopyOutcome& facts) {
    CopyOutcome ended = outcome;
    outcome = facts;
    outcome.failure = ended.failure;
    outcome.error_number = ended.error_number;
}

}  // namespace

CopyOutcome CopyOneFileNative(const std::optional<std::string>& source_native,
                              const std::optional<std::string>& target_native,
                              const CopyRequest& request) {
    CopyOutcome facts;
    CopyOutcome outcome = CopyWithFacts(source_native, target_native, request, facts);
    KeepFacts(outcome, facts);
    return outcome;
}

CopyOutcome CopyOneFile(std::string_view source, std::string_view target,
                        const CopyRequest& request) {
    CopyOutcome facts;
    CopyOutcome outcome =
        CopyWithFacts(Drives().ToNative(source), Drives().ToNative(target), request, facts);
    KeepFacts(outcome, facts);
    return outcome;
}

namespace {

// What the copy thread and its watcher share; it outlives a watcher that
// walked away.
struct WatchedCopy {
    std::mutex mutex;
    std::condition_variable finished_cv;
    bool finished = false;
    CopyOutcome outcome;
    std::atomic<std::int64_t> done{0}, total{0};
    std::atomic<std::int64_t> progress_at{0};  // steady clock, ms
    std::atomic<bool> cancel{false};
};

std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CopyOutcome CopyOneFileWatched(
    std::string_view source, std::string_view target, CopyRequest request,
    const std::function<bool(std::int64_t done, std::int64_t total, std::int64_t idle_ms)>& watch) {
    auto shared = std::make_shared<WatchedCopy>();
    shared->progress_at = SteadyMs();
    CopyRequest own = request;
    own.cancel = &shared->cancel;
    own.progress = [shared](std::int64_t done, std::int64_t total) {
        shared->done = done;
        shared->total = total;
        shared->progress_at = SteadyMs();
    };
    try {
        std::thread([shared, source_native = Drives().ToNative(source),
                     target_native = Drives().ToNative(target), own = std::move(own)] {
            CopyOutcome facts;
            CopyOutcome outcome = CopyWithFacts(source_native, target_native, own, facts);
            KeepFacts(outcome, facts);
            std::lock_guard lock(shared->mutex);
            shared->outcome = outcome;
            shared->finished = true;
            shared->finished_cv.notify_all();
        }).detach();
    } catch (const std::system_error&) {  // no thread to be had: copy here
        return CopyOneFile(source, target, request);
    }
    std::unique_lock lock(shared->mutex);
    while (!shared->finished_cv.wait_for(lock, std::chrono::milliseconds(50),
                                         [&] { return shared->finished; })) {
        lock.unlock();
        bool go_on = watch(shared->done, shared->total, SteadyMs() - shared->progress_at);
        lock.lock();
        if (go_on || shared->finished) continue;
        shared->cancel = true;
        // A copy that still moves stops at its next piece; one hanging in the
        // target is left behind.
        if (shared->finished_cv.wait_for(lock, std::chrono::seconds(1),
                                         [&] { return shared->finished; }))
            break;
        CopyOutcome walked_away;
        walked_away.failure = CopyFailure::NotAnswering;
        walked_away.error_number = ETIMEDOUT;
        return walked_away;
    }
    return shared->outcome;
}

}  // namespace vaultor::fs
