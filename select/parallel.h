// Pure computations of a command run beside the host's thread.
//
// What it buys, measured against the same build with one thread, same
// sitting, 1M quads (wall time, one thread over two): "Edge" from nothing
// selected 1.69 times as long, "Ridge" 1.57-2.11 times, "Face => Dup
// Vertex" 1.16-1.24 times; the CPU time of every thread together was the
// same within 3%.
//
// Every host function is called from the thread the host called the module
// on; only computations over what was already read (grouping lines, folds,
// sorting the twin grid) may run on another thread. A command starts such a
// computation as a SideTask, goes on asking the host what it needs, and waits
// for the task before it uses the task's results. Results never depend on
// whether a task ran on its own thread or inline: the commands' differential
// tests run with threads off and on.
//
// A task runs on a thread of its own when the module's thread setting allows
// it and the work is large enough to pay for starting one; otherwise, or
// when no thread can be started, it runs inline, at once, on the calling
// thread. An exception the task throws is thrown again by Wait.
//
//   selection::SideTask grouping([&] { groups = GroupLinesByEdge(mesh); }, mesh.LineCount());
//   ... ask the host ...
//   grouping.Wait(); // groups is ready
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace selection {

// How many threads a command may use in all (its own included), and the
// least work, in lines or vertices, for which a second thread is started.
struct Threading {
    int threads = 1;
    std::size_t leastWork = 0;
};
// The setting for this machine: up to two threads where there are at least
// two processors, from 100,000 elements of work up.
Threading DefaultThreading();
// The module-wide setting, DefaultThreading() until set. Set only between
// commands.
Threading CurrentThreading();
void SetThreading(const Threading &threading);

class SideTask {
public:
    // Starts `work`, of `size` elements, beside the calling thread, or runs
    // it now.
    SideTask(std::function<void()> work, std::size_t size);
    // Waits for the task, if it was not waited for, dropping its exception.
    ~SideTask();
    SideTask(const SideTask &) = delete;
    SideTask &operator=(const SideTask &) = delete;

    // Waits for the task to end, and throws what it threw (once).
    void Wait();

private:
    struct Thread;
    void Run() noexcept;
    // Waits for the thread, if the task has one still running.
    void Join() noexcept;

    std::function<void()> work_;
    std::exception_ptr error_;
    std::unique_ptr<Thread> thread_; // none when the work ran inline or was waited for
};

// Runs part(i) for i from 0 to parts - 1, each part of about `size / parts`
// elements: part 0 on the calling thread, the others as side tasks. Returns
// when all have ended, throwing what the first failed part threw.
template <class Part>
void RunParts(std::size_t parts, std::size_t size, Part &&part) {
    std::vector<std::unique_ptr<SideTask>> others;
    others.reserve(parts > 0 ? parts - 1 : 0);
    for (std::size_t i = 1; i < parts; ++i)
        others.push_back(std::make_unique<SideTask>([&part, i] { part(i); }, size / parts));
    if (parts > 0) part(std::size_t{0});
    for (const std::unique_ptr<SideTask> &task : others) task->Wait();
}

// The number of parts worth splitting `size` elements of work into: 1, or
// the thread setting's count.
std::size_t PartsFor(std::size_t size);

} // namespace selection
