#include "standin/core/host_checks.h"

#include <atomic>
#include <cstddef>

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

std::vector<Misbehaviour> g_log;
// How many entries of the log each group wrote: the document functions ask
// on every refused call, however long the toolkit's part of the log is.
size_t g_entries[3] = {0, 0, 0};
size_t &EntriesOf(Functions by) { return g_entries[static_cast<size_t>(by)]; }
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

namespace {
// A call on another thread, noticed since the last look, enters the log on
// the host's thread.
void TakeOffThreadCall() {
    if (g_offThreadCall.exchange(false))
        ReportMisbehaviour(Functions::Document, "a host function called on a thread other than the host's");
}
} // namespace

void ResetMisbehaviour() {
    ForgetMisbehaviour(Functions::Document);
    ForgetMisbehaviour(Functions::Settings);
    g_offThreadCall.store(false);
}

std::string FirstMisbehaviour() {
    TakeOffThreadCall();
    for (const Misbehaviour &m : g_log)
        if (m.by != Functions::Toolkit) return m.what;
    return {};
}

void ReportMisbehaviour(Functions by, const std::string &what) {
    if (by == Functions::Document && MisbehaviourRecorded(by)) return;
    g_log.push_back({by, what.empty() ? "(unnamed)" : what});
    ++EntriesOf(by);
}

bool MisbehaviourRecorded(Functions by) { return EntriesOf(by) != 0; }

std::vector<Misbehaviour> RecordedMisbehaviour() {
    TakeOffThreadCall();
    return g_log;
}

void ForgetMisbehaviour(Functions by) {
    std::erase_if(g_log, [by](const Misbehaviour &m) { return m.by == by; });
    EntriesOf(by) = 0;
}

void SetHostileAnswers(const HostileAnswers &answers) {
    g_hostile = answers;
    host_checks_detail::hostile = &g_hostile;
}

void ClearHostileAnswers() { host_checks_detail::hostile = nullptr; }

} // namespace standin
