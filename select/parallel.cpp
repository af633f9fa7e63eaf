#include "select/parallel.h"

#include <atomic>
#include <utility>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <system_error>
#include <thread>
#endif

namespace selection {
namespace {

// Below this a second thread costs about as much as it saves: starting one
// takes tens of microseconds, and 100,000 lines are grouped in about a
// millisecond.
constexpr std::size_t kLeastWork = 100000;
constexpr int kMostThreads = 2;

int Processors() {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors);
#else
    return static_cast<int>(std::thread::hardware_concurrency());
#endif
}

std::atomic<int> g_threads{0}; // 0 until set or first asked
std::atomic<std::size_t> g_leastWork{kLeastWork};

} // namespace

Threading DefaultThreading() {
    const int processors = Processors();
    return {processors >= 2 ? kMostThreads : 1, kLeastWork};
}

Threading CurrentThreading() {
    int threads = g_threads.load(std::memory_order_relaxed);
    if (threads == 0) {
        threads = DefaultThreading().threads;
        g_threads.store(threads, std::memory_order_relaxed);
    }
    return {threads, g_leastWork.load(std::memory_order_relaxed)};
}

void SetThreading(const Threading &threading) {
    g_threads.store(threading.threads < 1 ? 1 : threading.threads, std::memory_order_relaxed);
    g_leastWork.store(threading.leastWork, std::memory_order_relaxed);
}

std::size_t PartsFor(std::size_t size) {
    const Threading threading = CurrentThreading();
    return threading.threads > 1 && size >= threading.leastWork ? static_cast<std::size_t>(threading.threads) : 1;
}

#if defined(_WIN32)

struct SideTask::Thread {
    HANDLE handle = nullptr;
    static DWORD WINAPI Start(LPVOID task) {
        static_cast<SideTask *>(task)->Run();
        return 0;
    }
};

namespace {
// The tasks sort and group; a small stack, reserved and not committed,
// keeps a 32-bit process's address space for the mesh.
constexpr SIZE_T kStackBytes = SIZE_T{1} << 20;
} // namespace

SideTask::SideTask(std::function<void()> work, std::size_t size) : work_(std::move(work)) {
    if (PartsFor(size) > 1) {
        try {
            auto thread = std::make_unique<Thread>();
            thread->handle =
                CreateThread(nullptr, kStackBytes, &Thread::Start, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
            if (thread->handle != nullptr) {
                thread_ = std::move(thread);
                return;
            }
        } catch (...) {
            // No memory for the record: inline.
        }
    }
    Run();
}

void SideTask::Join() noexcept {
    if (!thread_) return;
    WaitForSingleObject(thread_->handle, INFINITE);
    CloseHandle(thread_->handle);
    thread_.reset();
}

#else

struct SideTask::Thread {
    std::thread thread;
};

SideTask::SideTask(std::function<void()> work, std::size_t size) : work_(std::move(work)) {
    if (PartsFor(size) > 1) {
        try {
            auto thread = std::make_unique<Thread>();
            thread->thread = std::thread([this] { Run(); });
            thread_ = std::move(thread);
            return;
        } catch (...) {
            // No thread (std::system_error) or no memory for one: inline.
        }
    }
    Run();
}

void SideTask::Join() noexcept {
    if (!thread_) return;
    thread_->thread.join();
    thread_.reset();
}

#endif

SideTask::~SideTask() { Join(); }

void SideTask::Wait() {
    Join();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void SideTask::Run() noexcept {
    try {
        work_();
    } catch (...) {
        error_ = std::current_exception();
    }
}

} // namespace selection
