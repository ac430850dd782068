#include "fs/content_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

// Large enough that a read costs one call per megabyte, small enough that
// both halves of a comparison stay in the processor's cache for memcmp.
constexpr size_t kChunk = 1 << 20;

// The chunks of this thread, kept: a check reads many small files, and a
// fresh megabyte for each would cost more than reading it.
char* Buffer(int which) {
    thread_local std::unique_ptr<char[]> buffers[2];
    if (!buffers[which]) buffers[which] = std::make_unique_for_overwrite<char[]>(kChunk);
    return buffers[which].get();
}

// A regular file opened for one sequential pass, with its size then: that
// many bytes are read, so no call is spent finding the end (most files of a
// backup fit one chunk). O_NONBLOCK so that a FIFO put in a file's place
// never waits for a writer.
struct OpenFile {
    UniqueFd fd;
    std::int64_t size = 0;
    explicit operator bool() const { return fd.Valid(); }
};

OpenFile OpenToRead(const std::string& native, bool from_medium, int* error) {
    OpenFile file;
    file.fd.Reset(::open(native.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!file.fd || ::fstat(file.fd.Get(), &st) != 0) {
        *error = errno;
        return {};
    }
    if (!S_ISREG(st.st_mode)) {
        *error = EINVAL;
        return {};
    }
    file.size = st.st_size;
    if (file.size > static_cast<std::int64_t>(kChunk))
        ::posix_fadvise(file.fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    if (from_medium) ::posix_fadvise(file.fd.Get(), 0, 0, POSIX_FADV_DONTNEED);
    return file;
}

// The next chunk of a file of `size` bytes of which `done` are read: all of
// it but at an early end (a FUSE or network file system may answer short
// anywhere, so it is asked again). The bytes read, or -1 with errno.
ssize_t ReadChunk(const OpenFile& file, std::int64_t done, char* buffer) {
    const size_t want = static_cast<size_t>(
        std::min<std::int64_t>(kChunk, std::max<std::int64_t>(file.size - done, 0)));
    const int fd = file.fd.Get();
    size_t got = 0;
    while (got < want) {
        ssize_t n = ::read(fd, buffer + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// What was read of the copy under test is not kept: the next look must go
// to the medium again, and a check of a whole backup must not push the
// user's own files out of the cache.
void DropRead(int fd, bool from_medium, std::int64_t offset, ssize_t length) {
    if (from_medium && length > 0) ::posix_fadvise(fd, offset, length, POSIX_FADV_DONTNEED);
}

struct HashState {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

std::string Sum128::Hex() const {
    static const char* digits = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        text[15 - i] = digits[(high >> (4 * i)) & 15];
        text[31 - i] = digits[(low >> (4 * i)) & 15];
    }
    return text;
}

std::optional<Sum128> Sum128::FromHex(std::string_view text) {
    if (text.size() != 32) return std::nullopt;
    Sum128 sum;
    for (size_t i = 0; i < 32; ++i) {
        const char c = text[i];
        int value = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (value < 0) return std::nullopt;
        std::uint64_t& half = i < 16 ? sum.high : sum.low;
        half = (half << 4) | static_cast<std::uint64_t>(value);
    }
    return sum;
}

namespace {

// How a read ended early, and why.
template <typename Outcome>
Outcome Ended(ReadEnd end, int error) {
    Outcome out;
    out.end = end;
    out.error_number = error;
    return out;
}

}  // namespace

ContentOutcome CompareContents(const std::string& first, const std::string& second,
                               const ChunkRead& chunk_read) {
    ContentOutcome out;
    int error = 0;
    OpenFile a = OpenToRead(first, false, &error);
    if (!a) return Ended<ContentOutcome>(ReadEnd::FirstFailed, error);
    OpenFile b = OpenToRead(second, true, &error);
    if (!b) return Ended<ContentOutcome>(ReadEnd::SecondFailed, error);
    if (a.size != b.size) return out;  // Done, not the same: one changed since the check
    char* left = Buffer(0);
    char* right = Buffer(1);
    for (std::int64_t done = 0;;) {
        const ssize_t got_a = ReadChunk(a, done, left);
        if (got_a < 0) return Ended<ContentOutcome>(ReadEnd::FirstFailed, errno);
        const ssize_t got_b = ReadChunk(b, done, right);
        if (got_b < 0) return Ended<ContentOutcome>(ReadEnd::SecondFailed, errno);
        DropRead(b.fd.Get(), true, done, got_b);
        if (got_a != got_b || std::memcmp(left, right, static_cast<size_t>(got_a)) != 0)
            return out;  // Done, not the same
        done += got_a;
        if (done >= a.size || static_cast<size_t>(got_a) < kChunk) {
            out.same = true;  // both ended here
            return out;
        }
        if (!chunk_read(done)) return Ended<ContentOutcome>(ReadEnd::Stopped, 0);
    }
}

SumOutcome SumOfContents(const std::string& native, bool from_medium, const ChunkRead& chunk_read) {
    SumOutcome out;
    int error = 0;
    OpenFile file = OpenToRead(native, from_medium, &error);
    if (!file) return Ended<SumOutcome>(ReadEnd::FirstFailed, error);
    std::unique_ptr<XXH3_state_t, HashState> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK)
        return Ended<SumOutcome>(ReadEnd::FirstFailed, ENOMEM);
    char* buffer = Buffer(0);
    for (std::int64_t done = 0;;) {
        const ssize_t got = ReadChunk(file, done, buffer);
        if (got < 0) return Ended<SumOutcome>(ReadEnd::FirstFailed, errno);
        DropRead(file.fd.Get(), from_medium, done, got);
        XXH3_128bits_update(state.get(), buffer, static_cast<size_t>(got));
        done += got;
        if (done >= file.size || static_cast<size_t>(got) < kChunk) break;
        if (!chunk_read(done)) return Ended<SumOutcome>(ReadEnd::Stopped, 0);
    }
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    out.sum = {hash.high64, hash.low64};
    return out;
}

}  // namespace vaultor::fs
