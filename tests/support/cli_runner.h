#pragma once

#include <string>

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

}  // namespace vaultor::test
