// Starting test programs as child processes, on Linux and on Windows (where
// a Windows program under Wine starts Windows programs itself).
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The running program's own file.
std::filesystem::path SelfPath();

// The running process's ID.
int ProcessId();

struct ChildRun {
    int status = -1;    // the exit code; -1 when the child did not start or did not exit normally
    std::string output; // standard output and standard error together, when captured
};

// Runs `program` with `args` and the extra environment variables `env`
// (added to this process's own), waits for it and returns its exit code.
// With `captureOutput`, its standard output and error are collected.
ChildRun RunChild(const std::filesystem::path &program, const std::vector<std::string> &args,
                  const std::vector<std::pair<std::string, std::string>> &env = {}, bool captureOutput = false);

} // namespace testsupport
