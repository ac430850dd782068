// The content check of "Test - Verifieer": a byte flipped in a large copy,
// its size and date kept, is what size and date cannot see; with Sums=1 the
// copy is read against its checksum and the damage named as bit rot. On a
// plain folder, and on exFAT through FUSE, where every file is read on a
// watched thread.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::LoopMount;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// One byte of the copy changed where the medium would lose it: in place,
// with the copy's size and date as they were.
void FlipByte(const std::string& path, off_t at) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    char byte = 0;
    ASSERT_EQ(::pread(fd, &byte, 1, at), 1);
    byte = static_cast<char>(byte ^ 0x10);
    ASSERT_EQ(::pwrite(fd, &byte, 1, at), 1);
    ::close(fd);
    test::SetMtime(path, before.st_mtime);
}

class CliContent : public ::testing::TestWithParam<bool>, public test::CliEnv {
  protected:
    void SetUp() override {
        if (GetParam()) VAULTOR_REQUIRE_MOUNT(TargetOn(LoopMount::Kind::Exfat, 160));
    }
};

TEST_P(CliContent, AFlippedByteIsFoundByReadingAndNamedBitRotWhereTheListKeepsSums) {
    std::string big(64 << 20, '\0');
    std::mt19937_64 random(7);
    for (size_t i = 0; i < big.size(); i += 8) big[i] = static_cast<char>(random());
    WriteFile(src / "Data/big.bin", big);
    WriteFile(src / "Data/klein.txt", "klein");
    const std::string clean = "Start log.\r\nEind log.\r\n";
    const std::string copy = "E:\\Vaultor_Drive S\\Data\\big.bin";
    MakeList();
    EXPECT_EQ(Cli("--content start Foto").status, 2) << "--content belongs to test";

    ASSERT_EQ(Cli("sums Foto on").status, 0);
    EXPECT_NE(Drv("Foto").find("Sums=1\r\n"), std::string::npos);
    ASSERT_EQ(Cli("--yes start Foto").status, 0) << Log();
    Remount();
    const std::string manifest = ReadFile(target + "/Vaultor_Sums/S.sums");
    EXPECT_NE(manifest.find(" Vaultor_Drive S\\Data\\big.bin\n"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(" Vaultor_Drive S\\Data\\klein.txt\n"), std::string::npos);
    EXPECT_EQ(Cli("test Foto --content").status, 0);
    EXPECT_EQ(Log(), clean) << "the copies read against their sums";
    ASSERT_EQ(Cli("sums Foto off").status, 0);
    EXPECT_EQ(Cli("test Foto --content").status, 0);
    EXPECT_EQ(Log(), clean) << "both sides read";

    FlipByte(target + "/Vaultor_Drive S/Data/big.bin", 40 << 20);
    Remount();
    EXPECT_EQ(Cli("test Foto").status, 0) << "size and date see nothing";
    EXPECT_EQ(Cli("test Foto --content").status, 1);
    EXPECT_EQ(Log(), "Start log.\r\nInhoud verschilt: " + copy + "\r\nEind log.\r\n");
    ASSERT_EQ(Cli("sums Foto on").status, 0);
    EXPECT_EQ(Cli("test Foto --content").status, 1);
    EXPECT_EQ(Log(),
              "Start log.\r\nBeschadigd op de doeldrive (bitrot): " + copy + "\r\nEind log.\r\n");
    EXPECT_EQ(Ini().find("ContentCheck"), std::string::npos)
        << "--content is for one test: nothing is stored";
}

INSTANTIATE_TEST_SUITE_P(Targets, CliContent, ::testing::Values(false, true),
                         [](const auto& target) { return target.param ? "ExfatFuse" : "Folder"; });

}  // namespace
}  // namespace vaultor
