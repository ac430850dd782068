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

class CliContent : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            disk = std::make_unique<LoopMount>(LoopMount::Kind::Exfat, 160);
            VAULTOR_REQUIRE_MOUNT(*disk);
        }
    }
    std::string Root() const { return disk ? disk->Folder() : plain.Path(); }
    // What the medium holds, not what the driver remembers of this mount.
    void Remount() {
        if (disk) {
            ASSERT_TRUE(disk->Mount(disk->Folder()));
        }
    }

    std::unique_ptr<LoopMount> disk;
    TempDir home, src, plain;
};

TEST_P(CliContent, AFlippedByteIsFoundByReadingAndNamedBitRotWhereTheListKeepsSums) {
    std::filesystem::create_directories(src / "Data");
    WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=\r\n");  // Dutch texts
    std::string big(64 << 20, '\0');
    std::mt19937_64 random(7);
    for (size_t i = 0; i < big.size(); i += 8) big[i] = static_cast<char>(random());
    WriteFile(src / "Data/big.bin", big);
    WriteFile(src / "Data/klein.txt", "klein");
    auto cli = [&](const std::string& arguments) {
        return test::RunCli(
            src.Path(), home.Path(),
            "--drive 'S=" + src.Path() + "' --drive 'E=" + Root() + "' " + arguments);
    };
    auto log = [&] { return ReadFile(home / "Vaultor.log"); };
    const std::string clean = "Start log.\r\nEind log.\r\n";
    const std::string copy = "E:\\Vaultor_Drive S\\Data\\big.bin";
    ASSERT_EQ(cli("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(cli("target Foto E").status, 0);
    EXPECT_EQ(cli("--content start Foto").status, 2) << "--content belongs to test";

    ASSERT_EQ(cli("sums Foto on").status, 0);
    EXPECT_NE(ReadFile(home / "Foto.drv").find("Sums=1\r\n"), std::string::npos);
    ASSERT_EQ(cli("--yes start Foto").status, 0) << log();
    Remount();
    const std::string manifest = ReadFile(Root() + "/Vaultor_Sums/S.sums");
    EXPECT_NE(manifest.find(" Vaultor_Drive S\\Data\\big.bin\n"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(" Vaultor_Drive S\\Data\\klein.txt\n"), std::string::npos);
    EXPECT_EQ(cli("test Foto --content").status, 0);
    EXPECT_EQ(log(), clean) << "the copies read against their sums";
    ASSERT_EQ(cli("sums Foto off").status, 0);
    EXPECT_EQ(cli("test Foto --content").status, 0);
    EXPECT_EQ(log(), clean) << "both sides read";

    FlipByte(Root() + "/Vaultor_Drive S/Data/big.bin", 40 << 20);
    Remount();
    EXPECT_EQ(cli("test Foto").status, 0) << "size and date see nothing";
    EXPECT_EQ(cli("test Foto --content").status, 1);
    EXPECT_EQ(log(), "Start log.\r\nInhoud verschilt: " + copy + "\r\nEind log.\r\n");
    ASSERT_EQ(cli("sums Foto on").status, 0);
    EXPECT_EQ(cli("test Foto --content").status, 1);
    EXPECT_EQ(log(),
              "Start log.\r\nBeschadigd op de doeldrive (bitrot): " + copy + "\r\nEind log.\r\n");
    EXPECT_EQ(ReadFile(home / "Vaultor.ini").find("ContentCheck"), std::string::npos)
        << "--content is for one test: nothing is stored";
}

INSTANTIATE_TEST_SUITE_P(Targets, CliContent, ::testing::Values(false, true),
                         [](const auto& target) { return target.param ? "ExfatFuse" : "Folder"; });

}  // namespace
}  // namespace vaultor
