// Working arrays that keep their memory from one command to the next.
//
// A command over a large object fills arrays of several megabytes. Freed at
// the end of every command, that memory goes back to the system and must be
// faulted in afresh by the next command, which can cost more than the work.
// A ScratchVector borrows a vector from a module-wide pool and gives it back
// emptied (size 0, capacity kept), so only the contents' memory is reused:
// every borrower starts from an empty vector and carries nothing over.
//
// Borrowers may nest (each takes its own vector). Single-threaded, as every
// command runs on the host's user-interface thread.
#pragma once

#include <utility>
#include <vector>

namespace selection {

template <class T>
class ScratchVector {
public:
    ScratchVector() : vector_(Take()) {}
    ~ScratchVector() {
        vector_.clear();
        try {
            Pool().push_back(std::move(vector_));
        } catch (...) {
            // No room to keep it: the memory is simply freed.
        }
    }
    ScratchVector(const ScratchVector &) = delete;
    ScratchVector &operator=(const ScratchVector &) = delete;

    std::vector<T> &operator*() { return vector_; }
    const std::vector<T> &operator*() const { return vector_; }
    std::vector<T> *operator->() { return &vector_; }
    const std::vector<T> *operator->() const { return &vector_; }

private:
    static std::vector<std::vector<T>> &Pool() {
        static std::vector<std::vector<T>> pool;
        return pool;
    }
    static std::vector<T> Take() {
        std::vector<std::vector<T>> &pool = Pool();
        if (pool.empty()) return {};
        std::vector<T> taken = std::move(pool.back());
        pool.pop_back();
        taken.clear();
        return taken;
    }

    std::vector<T> vector_;
};

} // namespace selection
