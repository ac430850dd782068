#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::test {

struct CliResult {
    int status = 0;
    std::string out, err;
};

// Runs vaultor-cli in `folder` with the program folder `program_dir`, Dutch
// or English as that folder's settings say, no terminal.
// `run_as` goes before the program (e.g. setpriv, to run it as an ordinary
// user); `program` is the vaultor-cli to run, the one built by default.
CliResult RunCli(const std::string& folder, const std::string& program_dir,
                 const std::string& arguments, const std::string& run_as = "",
                 const std::string& program = VAULTOR_CLI);

// As RunCli, without waiting: the process is vaultor-cli itself, for the
// test to signal and reap. Its output and errors go to `output`.
pid_t StartCli(const std::string& folder, const std::string& program_dir,
               const std::string& arguments, const std::string& output = "/dev/null");

// What the command tests share: a program folder with Dutch texts, a source
// drive S: holding Data and a target drive E:, all of the test's own.
class CliEnv {
  public:
    CliEnv();
    // vaultor-cli in the source folder, with S: and E: (at `target`) mapped.
    CliResult Cli(const std::string& arguments) const;
    std::string Drives() const;  // those --drive options, a space after
    // The list Foto of S:\Data, backed up to E:.
    void MakeList() const;
    // E: on an image of its own instead of a folder; VAULTOR_REQUIRE_MOUNT it.
    const LoopMount& TargetOn(LoopMount::Kind kind, int size_mb);
    // What the medium holds, not what the driver remembers of this mount.
    void Remount() const;
    std::string Log() const { return ReadFile(home / "Vaultor.log"); }
    std::string Drv(const std::string& list) const { return ReadFile(home / (list + ".drv")); }
    std::string Ini() const { return ReadFile(home / "Vaultor.ini"); }

    TempDir home, src, tgt;
    std::string target = tgt.Path();
    std::unique_ptr<LoopMount> disk;
};

}  // namespace vaultor::test
