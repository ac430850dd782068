#include "support/cli_runner.h"

#include <gtest/gtest.h>
#include <spawn.h>

#include <filesystem>

extern char** environ;

namespace vaultor::test {
namespace {

std::string Command(const std::string& folder, const std::string& program_dir,
                    const std::string& arguments, const std::string& run_as,
                    const std::string& program) {
    return "cd '" + folder + "' && " + run_as + " env -u LANGUAGE LC_ALL=C.UTF-8 '" + program +
           "' --program-dir '" + program_dir + "' " + arguments + " </dev/null";
}

}  // namespace

CliResult RunCli(const std::string& folder, const std::string& program_dir,
                 const std::string& arguments, const std::string& run_as,
                 const std::string& program) {
    TempDir scratch;
    CliResult r;
    r.status = Run(Command(folder, program_dir, arguments, run_as, program) + " >'" +
                   (scratch / "out") + "' 2>'" + (scratch / "err") + "'");
    r.out = ReadFile(scratch / "out");
    r.err = ReadFile(scratch / "err");
    return r;
}

pid_t StartCli(const std::string& folder, const std::string& program_dir,
               const std::string& arguments, const std::string& output) {
    const std::string command =
        Command(folder, program_dir, arguments, "exec", VAULTOR_CLI) + " >'" + output + "' 2>&1";
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        ADD_FAILURE() << "cannot start " << command;
    return pid;
}

CliEnv::CliEnv() {
    std::filesystem::create_directories(src / "Data");
    WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=\r\n");  // Dutch texts
}

std::string CliEnv::Drives() const {
    return "--drive 'S=" + src.Path() + "' --drive 'E=" + target + "' ";
}

CliResult CliEnv::Cli(const std::string& arguments) const {
    return RunCli(src.Path(), home.Path(), Drives() + arguments);
}

void CliEnv::MakeList() const {
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
}

const LoopMount& CliEnv::TargetOn(LoopMount::Kind kind, int size_mb) {
    disk = std::make_unique<LoopMount>(kind, size_mb);
    target = disk->Folder();
    return *disk;
}

void CliEnv::Remount() const {
    if (disk) {
        ASSERT_TRUE(disk->Mount(disk->Folder()));
    }
}

}  // namespace vaultor::test
