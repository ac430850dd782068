// vaultor-cli as a user runs it, in a program folder of the test's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/program_env.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::RunOutput;
using test::TempDir;

using Result = test::CliResult;

Result Cli(const std::string& program_dir, const std::string& arguments) {
    return test::RunCli("/", program_dir, arguments);
}

std::string LineOf(const std::string& output, const std::string& folder) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > folder.size() && line.substr(line.size() - folder.size()) == folder &&
            line[line.size() - folder.size() - 1] == '\t')
            return line;
    return {};
}

// A locale that names no language (C.UTF-8, as here) chooses Dutch from the
// first start on, as every later start with the empty Translation value does.
TEST(CliDrives, ListsC_AndTheMappedLettersInTheChosenLanguage) {
    TempDir home, x;
    Result dutch = Cli(home.Path(), "--drive E=" + x.Path() + ",label=Backup drives");
    ASSERT_EQ(dutch.status, 0) << dutch.err;
    EXPECT_EQ(dutch.out.rfind("C:\t2\tgereed\t", 0), 0u) << dutch.out;
    EXPECT_NE(dutch.out.find("\t/\n"), std::string::npos);
    std::string e = LineOf(dutch.out, x.Path());
    EXPECT_EQ(e.rfind("E:\t2\tgereed\tBackup\t", 0), 0u) << dutch.out;
    EXPECT_FALSE(std::filesystem::exists(home / "Vaultor.ini"));  // --drive records nothing
    // A label may hold any byte: one line, the same text in every use.
    Result odd = Cli(home.Path(), "--drive \"E=" + x.Path() +
                                      ",label=$(printf 'A\\r\\nLocked=1\\tB\\033')\" drives");
    EXPECT_EQ(LineOf(odd.out, x.Path()).rfind("E:\t2\tgereed\tA??Locked=1?B?\t", 0), 0u) << odd.out;

    test::WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=en\r\n");
    Result english = Cli(home.Path(), "--drive E=" + x.Path() + "/gone drives");
    ASSERT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(LineOf(english.out, x.Path() + "/gone"),
              "E:\t2\tnot ready\t-\t-1\t-1\t" + x.Path() + "/gone");
}

TEST(CliDrives, SaysInOneLineWhatIsWrong) {
    TempDir home;
    test::WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=en\r\n");
    Result unknown = Cli(home.Path(), "--frobnicate drives");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "vaultor-cli: Unknown option --frobnicate; see --help.\n");
    Result relative = Cli(home.Path(), "--drive E=. drives");
    EXPECT_EQ(relative.status, 0) << relative.err;
    EXPECT_NE(relative.out.find("\nE:\t"), std::string::npos);
    Result bad = Cli(home.Path(), "--drive 1=/x drives");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "vaultor-cli: --drive: '1' is not a drive letter.\n");
    Result missing = Cli(home.Path(), "--drive");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("--drive expects a value"), std::string::npos);
    Result nothing = Cli(home.Path(), "");
    EXPECT_EQ(nothing.status, 2);
    EXPECT_NE(nothing.err.find("No command given"), std::string::npos);
    Result help = Cli(home.Path(), "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("drives"), std::string::npos);
}

TEST(CliDrives, AMountedFileSystemGetsALetterThatStays) {
    test::LoopMount disk(test::LoopMount::Kind::Btrfs, 128, "VAKANTIE");
    VAULTOR_REQUIRE_MOUNT(disk);
    TempDir home;
    Result first = Cli(home.Path(), "drives");
    ASSERT_EQ(first.status, 0) << first.err;
    std::string line = LineOf(first.out, disk.Folder());
    ASSERT_FALSE(line.empty()) << first.out;
    EXPECT_NE(line.find("\t2\tgereed\tVAKANTIE\t"), std::string::npos) << line;
    std::string ini = test::ReadFile(home / "Vaultor.ini");
    std::string record = "\r\n" + line.substr(0, 1) + "=" + disk.Folder() + ",uuid=";
    EXPECT_NE(ini.find("[Drives]\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find(record), std::string::npos) << ini;
    EXPECT_NE(ini.find("[CHECKMARK]\r\n0=1\r\n"), std::string::npos);   // a new file is whole
    EXPECT_NE(ini.find("[Translation]\r\n1=\r\n"), std::string::npos);  // never "en" unasked

    // Other tests may mount images meanwhile; this disk's own record must stay one.
    Result second = Cli(home.Path(), "drives");
    EXPECT_EQ(LineOf(second.out, disk.Folder()).substr(0, 2), line.substr(0, 2));
    std::string after = test::ReadFile(home / "Vaultor.ini");
    size_t first_at = after.find("=" + disk.Folder() + ",uuid=");
    EXPECT_EQ(after.find("=" + disk.Folder() + ",uuid=", first_at + 1), std::string::npos) << after;
}

}  // namespace
}  // namespace vaultor
