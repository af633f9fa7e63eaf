#include "standin/core/host_checks.h"

#include <atomic>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace standin {
namespace {

std::string g_firstMisbehaviour;
HostileAnswers g_hostile;

#if defined(_WIN32)
using ThreadId = DWORD;
ThreadId CurrentThread() { return GetCurrentThreadId(); }
bool SameThread(ThreadId a, ThreadId b) { return a == b; }
#else
using ThreadId = pthread_t;
ThreadId CurrentThread() { return pthread_self(); }
bool SameThread(ThreadId a, ThreadId b) { return pthread_equal(a, b) != 0; }
#endif

ThreadId g_hostThread{};
// Set by a call on another thread, and turned into the recorded
// misbehaviour on the host's thread: only this flag crosses threads.
std::atomic<bool> g_offThreadCall{false};

} // namespace

namespace host_checks_detail {
#if defined(__GNUC__) && !defined(_WIN32)
[[gnu::visibility("hidden")]]
#endif
const HostileAnswers *hostile = nullptr;
#if defined(__GNUC__) && !defined(_WIN32)
[[gnu::visibility("hidden")]]
#endif
bool threadChecked = false;

void CheckThread() {
    if (!SameThread(CurrentThread(), g_hostThread)) g_offThreadCall.store(true);
}
} // namespace host_checks_detail

void CheckCallingThread(bool on) {
    g_hostThread = CurrentThread();
    g_offThreadCall.store(false);
    host_checks_detail::threadChecked = on;
}

void ResetMisbehaviour() {
    g_firstMisbehaviour.clear();
    g_offThreadCall.store(false);
}

const std::string &FirstMisbehaviour() {
    if (g_offThreadCall.exchange(false)) ReportMisbehaviour("a host function called on a thread other than the host's");
    return g_firstMisbehaviour;
}

void ReportMisbehaviour(const std::string &what) {
    if (g_firstMisbehaviour.empty()) g_firstMisbehaviour = what.empty() ? "(unnamed)" : what;
}

void SetHostileAnswers(const HostileAnswers &answers) {
    g_hostile = answers;
    host_checks_detail::hostile = &g_hostile;
}

void ClearHostileAnswers() { host_checks_detail::hostile = nullptr; }

} // namespace standin
