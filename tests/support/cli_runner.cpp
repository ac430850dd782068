#include "support/cli_runner.h"

#include "support/temp_dir.h"

namespace vaultor::test {

CliResult RunCli(const std::string& folder, const std::string& program_dir,
                 const std::string& arguments, const std::string& run_as,
                 const std::string& program) {
    TempDir scratch;
    std::string command = "cd '" + folder + "' && " + run_as + " env -u LANGUAGE LC_ALL=C.UTF-8 '" +
                          program + "' --program-dir '" + program_dir + "' " + arguments +
                          " </dev/null >'" + (scratch / "out") + "' 2>'" + (scratch / "err") + "'";
    CliResult r;
    r.status = Run(command);
    r.out = ReadFile(scratch / "out");
    r.err = ReadFile(scratch / "err");
    return r;
}

}  // namespace vaultor::test
