// Starting test programs as child processes, on Linux and on Windows.
//
// A cross build's programs cannot always be started directly: a 32-bit x86
// Linux program on a kernel without 32-bit support runs only through its
// emulator (qemu-i386). When the build has one for programs started from
// inside a test, TEST_PROGRAM_EMULATOR names it (words separated by single
// spaces, e.g. "/usr/bin/qemu-i386 -L /"), and every child goes through it.
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

// The emulator words put before every child program; empty for none.
std::vector<std::string> EmulatorWords();

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
