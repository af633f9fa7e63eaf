#include "standin/core/call_log.h"

#include <utility>

namespace standin {
namespace {

bool g_recording = false;
std::vector<HostCall> g_calls;

} // namespace

void StartCallLog() {
    g_calls.clear();
    g_recording = true;
}

std::vector<HostCall> StopCallLog() {
    g_recording = false;
    return std::exchange(g_calls, {});
}

void LogCall(const char *name, int32_t object, int32_t a, int32_t b) {
    if (g_recording) g_calls.push_back({name, object, a, b});
}

} // namespace standin
