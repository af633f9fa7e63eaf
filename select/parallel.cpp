#include "select/parallel.h"

#include <atomic>
#include <utility>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <thread>
#endif


namespace selection {
namespace {

// Below this much work a second thread saves too little for its start, which
// takes tens of microseconds; from here up, the work on one side takes a
// millisecond or more.
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

// A task's thread: Start runs the task's Run on a new thread, or returns
// false when none can be had; Join waits for it to end.
#if defined(_WIN32)

namespace {
// The tasks sort and group; a small stack, reserved and not committed,
// keeps a 32-bit process's address space for the mesh.
constexpr SIZE_T kStackBytes = SIZE_T{1} << 20;
} // namespace

struct SideTask::Thread {
    HANDLE handle = nullptr;

    bool Start(SideTask &task) {
        handle = CreateThread(nullptr, kStackBytes, &Enter, &task, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        return handle != nullptr;
    }
    void Join() {
        WaitForSingleObject(handle, INFINITE);
        CloseHandle(handle);
    }
    static DWORD WINAPI Enter(LPVOID task) {
        static_cast<SideTask *>(task)->Run();
        return 0;
    }
};

#else

struct SideTask::Thread {
    std::thread thread;

    // std::thread throws std::system_error when it cannot start one.
    bool Start(SideTask &task) {
        thread = std::thread([&task] { task.Run(); });
        return true;
    }
    void Join() { thread.join(); }
};

#endif

SideTask::SideTask(std::function<void()> work, std::size_t size) : work_(std::move(work)) {
    if (PartsFor(size) > 1) {
        try {
            auto thread = std::make_unique<Thread>();
            if (thread->Start(*this)) {
                thread_ = std::move(thread);
                return;
            }
        } catch (...) {
            // No thread, or no memory for one: the task runs inline.
        }
    }
    Run();
}

void SideTask::Join() noexcept {
    if (!thread_) return;
    thread_->Join();
    thread_.reset();
}

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
