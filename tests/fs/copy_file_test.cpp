// The copy of one file: the target holds its old content or the complete new
// copy, never a part, whatever happens during the copy. A full target, and
// progress with Stop inside a copy, are tested through whole runs.
#include "fs/copy_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "fs/file_ops.h"
#include "fs/pump.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::LoopMount;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> TempFilesIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (IsCopyTempName(e.path().filename().string())) out.push_back(e.path());
    return out;
}

std::time_t MtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

TEST(CopyOneFile, CopiesContentBitsAndTimeAndReplacesAReadOnlyCopy) {
    TempDir dir;
    WriteFile(dir / "src", "new content");
    ::chmod((dir / "src").c_str(), 0640);
    struct timespec times[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
    ::utimensat(AT_FDCWD, (dir / "src").c_str(), times, 0);
    WriteFile(dir / "dst", "old");
    ::chmod((dir / "dst").c_str(), 0444);

    CopyOutcome r = CopyOneFile(dir / "src", dir / "dst");
    ASSERT_TRUE(r.Ok()) << static_cast<int>(r.failure) << " " << r.error_number;
    EXPECT_EQ(ReadFile(dir / "dst"), "new content");
    struct stat st {};
    ::stat((dir / "dst").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
}

TEST(CopyOneFile, FailuresLeaveTheOldCopyAndNoTemporaryFile) {
    TempDir dir;
    WriteFile(dir / "dst", "old");
    CopyOutcome gone = CopyOneFile(dir / "vanished", dir / "dst");
    EXPECT_EQ(gone.failure, CopyFailure::SourceMissing);
    EXPECT_EQ(ReadFile(dir / "dst"), "old");

    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(CopyOneFile(dir / "folder", dir / "dst").failure, CopyFailure::NotRegularFile);
    // A FIFO holds nothing to back up; opening it must not wait for a writer.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(CopyOneFile(dir / "fifo", dir / "dst").failure, CopyFailure::NotRegularFile);

    WriteFile(dir / "src", "data");
    EXPECT_EQ(CopyOneFile(dir / "src", dir / "no/such/folder/f").failure, CopyFailure::Refused);
    std::filesystem::create_directory(dir / "dst_is_folder");
    WriteFile(dir / "dst_is_folder/inside", "x");
    EXPECT_FALSE(CopyOneFile(dir / "src", dir / "dst_is_folder").Ok());
    EXPECT_EQ(ReadFile(dir / "dst_is_folder/inside"), "x");
    EXPECT_EQ(ReadFile(dir / "dst"), "old");
    EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
}

TEST(CopyOneFile, ASourceWrittenToDuringTheCopyKeepsTheOldCopy) {
    TempDir dir;
    WriteFile(dir / "dst", "old");
    WriteFile(dir / "src", std::string(4 << 20, 's'));
    test::ScriptedUi ui;  // its clock moves at every look: progress comes after each piece
    fs::SetMessagePump(&ui);
    CopyRequest request;
    bool written = false;
    request.progress = [&](std::int64_t, std::int64_t) {
        if (!written) std::ofstream(dir / "src", std::ios::app) << "more";
        written = true;
    };
    CopyOutcome outcome = CopyOneFile(dir / "src", dir / "dst", request);
    fs::SetMessagePump(nullptr);
    ASSERT_TRUE(written);
    EXPECT_EQ(outcome.failure, CopyFailure::SourceChanged);
    EXPECT_EQ(ReadFile(dir / "dst"), "old");
    EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
}

// One call of the copy failing as a medium, a full disk or a source written
// to meanwhile would make it fail; writes that the system takes in pieces.
class FaultyOps : public FileOps {
  public:
    enum class Fault { Read, Write, ShortWrites, Sync, SetTimes, Rename, SourceGrows, NoRefusal };
    FaultyOps(Fault fault, int error) : fault_(fault), error_(error) {}
    ssize_t Read(int fd, void* buffer, std::size_t size) override {
        return fault_ == Fault::Read ? Fail() : FileOps::Read(fd, buffer, size);
    }
    ssize_t Write(int fd, const void* buffer, std::size_t size) override {
        if (fault_ == Fault::ShortWrites)
            return FileOps::Write(fd, buffer, std::min<size_t>(size, 7));
        return fault_ == Fault::Write ? Fail() : FileOps::Write(fd, buffer, size);
    }
    ssize_t CopyRange(int, int, std::size_t) override {  // the reads and writes carry it
        errno = EXDEV;
        return -1;
    }
    int Sync(int fd, bool data_only) override {
        return fault_ == Fault::Sync ? Fail() : FileOps::Sync(fd, data_only);
    }
    int SetTimes(int fd, const struct timespec times[2]) override {
        return fault_ == Fault::SetTimes ? Fail() : FileOps::SetTimes(fd, times);
    }
    int RenameAt(int dir, const char* from, const char* to) override {
        return fault_ == Fault::Rename ? Fail() : FileOps::RenameAt(dir, from, to);
    }
    int RenameNoReplace(int dir, const char* from, const char* to) override {
        if (fault_ == Fault::NoRefusal) errno = EINVAL;  // as a file system without the flag
        if (fault_ == Fault::NoRefusal || fault_ == Fault::Rename) return -1;
        return FileOps::RenameNoReplace(dir, from, to);
    }
    int Fstat(int fd, struct stat* st) override {
        int result = FileOps::Fstat(fd, st);
        if (fault_ == Fault::SourceGrows && ++fstats_ == 2) st->st_size += 1;  // the look after
        return result;
    }

  private:
    int Fail() {
        errno = error_;
        return -1;
    }
    Fault fault_;
    int error_;
    int fstats_ = 0;
};

TEST(CopyOneFile, AFaultOnTheWayLeavesTheOldCopyAndNoTemporaryFile) {
    using Fault = FaultyOps::Fault;
    const struct {
        Fault fault;
        int error;
        CopyFailure expected;
    } cases[] = {
        {Fault::Write, ENOSPC, CopyFailure::NoRoom},
        {Fault::Read, EIO, CopyFailure::IoError},
        {Fault::Sync, EIO, CopyFailure::IoError},
        {Fault::SetTimes, EROFS, CopyFailure::Refused},
        {Fault::Rename, EIO, CopyFailure::IoError},
        {Fault::SourceGrows, 0, CopyFailure::SourceChanged},
        {Fault::ShortWrites, 0, CopyFailure::None},
        {Fault::NoRefusal, 0, CopyFailure::None},  // last: the refusal is not tried again
    };
    TempDir dir;
    std::string content(300'000, ' ');
    std::mt19937 random(7);
    for (auto& c : content) c = static_cast<char>('a' + random() % 26);
    WriteFile(dir / "src", content);
    // Also where the check found no copy and one appeared since: it is
    // replaced as any old copy is, and said to have been there.
    for (const auto& c : cases)
        for (bool expect_new : {false, true}) {
            SCOPED_TRACE(static_cast<int>(c.fault) * 2 + expect_new);
            WriteFile(dir / "dst", "old copy");
            FaultyOps ops(c.fault, c.error);
            SetCopyFileOps(&ops);
            CopyRequest request;
            request.expect_new = expect_new;
            CopyOutcome outcome = CopyOneFile(dir / "src", dir / "dst", request);
            SetCopyFileOps(nullptr);
            EXPECT_EQ(outcome.failure, c.expected);
            EXPECT_TRUE(ReadFile(dir / "dst") == (outcome.Ok() ? content : "old copy"));
            EXPECT_TRUE(!outcome.Ok() || outcome.target_existed);
            EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
        }
}

TEST(CopyOneFile, AKilledCopyLeavesTheOldOrTheNewContentNeverAPart) {
    TempDir dir;
    const size_t size = 48 << 20;
    std::string old_content(size, 'o'), new_content(size, 'n');
    WriteFile(dir / "src", new_content);
    // Kills are spread over twice the time one whole copy takes here, so some
    // land inside the copy and some after it.
    WriteFile(dir / "dst", old_content);
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(CopyOneFile(dir / "src", dir / "dst").Ok());
    auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
                     std::chrono::steady_clock::now() - started)
                     .count();
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> delay(0, 2 * whole + 2000);
    int saw_old = 0, saw_new = 0;
    for (int round = 0; round < 20; ++round) {
        WriteFile(dir / "dst", old_content);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CopyRequest request;  // read and write through the buffer half the time
            if (round % 2) request.compressed = true;
            _exit(CopyOneFile(dir / "src", dir / "dst", request).Ok() ? 0 : 1);
        }
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::string now = ReadFile(dir / "dst");
        ASSERT_TRUE(now == old_content || now == new_content)
            << "round " << round << ": target holds " << now.size() << " bytes of a mix";
        (now == old_content ? saw_old : saw_new)++;
        for (const auto& t : TempFilesIn(dir.Path())) std::filesystem::remove(t);
    }
    EXPECT_GT(saw_old, 0) << "no kill fell inside a copy";
    EXPECT_GT(saw_new, 0) << "no copy was ever complete";
}

// The system's operations, but the program is killed the moment the new copy
// would take the name the old one was moved away from.
class KilledBetweenTheRenames : public FileOps {
  public:
    int RenameAt(int, const char*, const char*) override {
        ::raise(SIGKILL);
        return -1;
    }
};

TEST(CopyOneFile, AnUpdateKeepingItsOldCopyLeavesItAmongTheVersionsOrInPlaceNeverGone) {
    TempDir dir;
    WriteFile(dir / "src", "nieuw");
    WriteFile(dir / "dst", "oud");
    const std::string kept = dir / "versions/2026-12-07 120000 Foto/dst";
    CopyRequest request;
    request.keep_old_as = kept;
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        static KilledBetweenTheRenames ops;
        SetCopyFileOps(&ops);
        _exit(CopyOneFile(dir / "src", dir / "dst", request).Ok() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(ReadFile(kept), "oud") << "moved first, so the kill finds it kept";
    EXPECT_FALSE(std::filesystem::exists(dir / "dst"));
    EXPECT_EQ(TempFilesIn(dir.Path()).size(), 1u) << "the new copy, whole, for a next run to redo";

    // Uninterrupted: the new copy in place, the old one kept; a second run in
    // the same second finds the version's name taken and replaces nothing.
    for (const auto& t : TempFilesIn(dir.Path())) std::filesystem::remove(t);
    WriteFile(dir / "dst", "ouder");
    auto second = CopyOneFile(dir / "src", dir / "dst", request);
    EXPECT_FALSE(second.Ok());
    EXPECT_EQ(ReadFile(dir / "dst"), "ouder");
    EXPECT_EQ(ReadFile(kept), "oud");
    request.keep_old_as = dir / "versions/2026-12-07 120001 Foto/dst";
    auto third = CopyOneFile(dir / "src", dir / "dst", request);
    EXPECT_TRUE(third.Ok() && third.kept_old);
    EXPECT_EQ(ReadFile(dir / "dst"), "nieuw");
    EXPECT_EQ(ReadFile(request.keep_old_as), "ouder");
}

TEST(CopyOneFile, FatTargetsRefusePermissionBitsWithoutFailingTheCopy) {
    LoopMount fat(LoopMount::Kind::Fat, 32, "STICK");
    VAULTOR_REQUIRE_MOUNT(fat);
    TempDir src;
    WriteFile(src / "a.jpg", std::string(300000, 'j'));
    ::chmod((src / "a.jpg").c_str(), 0444);
    test::SetMtime(src / "a.jpg", 1600000001);
    std::string target = fat.Folder() + "/a.jpg";
    WriteFile(target, "older copy");

    CopyOutcome r = CopyOneFile(src / "a.jpg", target);
    ASSERT_TRUE(r.Ok()) << static_cast<int>(r.failure) << " " << r.error_number;
    EXPECT_EQ(ReadFile(target), ReadFile(src / "a.jpg"));
    ASSERT_TRUE(fat.Unmount());  // the time must be on the medium, not only in a cache
    ASSERT_TRUE(fat.Mount(fat.Folder()));
    EXPECT_LE(std::abs(MtimeOf(target) - 1600000001), 2);
    EXPECT_TRUE(TempFilesIn(fat.Folder()).empty());
}

TEST(CopyTempName, HasOneBoundedTellingPattern) {
    EXPECT_TRUE(IsCopyTempName(".vaultor-0123456789ab.tmp"));
    EXPECT_FALSE(IsCopyTempName(".vaultor-0123456789AB.tmp"));
    EXPECT_FALSE(IsCopyTempName(".vaultor-0123456789a.tmp"));
    EXPECT_FALSE(IsCopyTempName("photo.jpg.tmp"));
}

// A set-id program in a listed folder must never become one owned by whoever
// runs the backup (root, as here).
TEST(CopyOneFile, SetIdBitsTravelOnlyWithTheSourcesOwner) {
    TempDir dir;
    WriteFile(dir / "tool", "#!/bin/sh\n");
    ASSERT_EQ(::chown((dir / "tool").c_str(), 1234, 1234), 0);
    ASSERT_EQ(::chmod((dir / "tool").c_str(), 06755), 0);
    ASSERT_TRUE(CopyOneFile(dir / "tool", dir / "copy").Ok());
    struct stat st {};
    ASSERT_EQ(::stat((dir / "copy").c_str(), &st), 0);
    bool set_id = (st.st_mode & (S_ISUID | S_ISGID)) != 0;
    EXPECT_TRUE(!set_id || (st.st_uid == 1234u && st.st_gid == 1234u))
        << "mode " << std::oct << st.st_mode << " owner " << std::dec << st.st_uid;
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // A folder that gives its own group to what is made in it: the copy of
    // one's own file still gets the source's group (where the owner may set it).
    std::filesystem::create_directory(dir / "shared");
    if (::chown((dir / "shared").c_str(), ::geteuid(), 4321) != 0) GTEST_SKIP();
    ASSERT_EQ(::chmod((dir / "shared").c_str(), 02775), 0);
    WriteFile(dir / "own", "mine");
    ASSERT_TRUE(CopyOneFile(dir / "own", dir / "shared/own").Ok());
    ASSERT_EQ(::stat((dir / "shared/own").c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, ::getegid());
}

}  // namespace
}  // namespace vaultor::fs
