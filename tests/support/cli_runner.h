#pragma once

#include <string>

namespace vaultor::test {

struct CliResult {
    int status = 0;
    std::string out, err;
};

// Runs vaultor-cli in `folder` with the program folder `program_dir`, Dutch
// or English as that folder's settings say, no terminal.
CliResult RunCli(const std::string& folder, const std::string& program_dir,
                 const std::string& arguments);

}  // namespace vaultor::test
