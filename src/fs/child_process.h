#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vaultor::fs {

struct ChildResult {
    bool started = false;   // false: the program was not found or could not be started
    bool finished = false;  // false: killed when its time was up
    int status = -1;        // exit status; 128 + signal when a signal ended it
    std::string output;     // stdout and stderr together, when captured
};

// Runs a program (looked up in PATH) with stdin from /dev/null. With
// `capture` its output is collected, else it goes where ours goes. A program
// still running after `limit` (zero: no limit) is killed, so a tool that
// hangs never hangs us.
ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                     bool capture = true);

// The folder of the running program, with a trailing "/".
std::string OwnProgramFolder();

}  // namespace vaultor::fs
