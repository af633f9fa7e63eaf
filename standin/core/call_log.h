// A record of the selection changes the plug-in asks of the host, in call
// order, for tests that check the order of a command's steps. Off unless a
// test turns it on; when off, recording costs one test of a flag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct HostCall {
    std::string name;  // the host function, e.g. "MQDoc_AddSelectFace"
    int32_t object = -1;
    int32_t a = -1;    // vertex or face index, or the kinds of a clear
    int32_t b = -1;    // line index
    friend bool operator==(const HostCall &, const HostCall &) = default;
};

// Starts a fresh record.
void StartCallLog();
// Stops recording and returns what was recorded.
std::vector<HostCall> StopCallLog();
// Records one call when recording is on.
void LogCall(const char *name, int32_t object, int32_t a = -1, int32_t b = -1);

} // namespace standin
