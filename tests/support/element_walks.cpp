#include "tests/support/element_walks.h"

#include <cstddef>
#include <new>
#include <utility>

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace cmq {
namespace {

// The allocator of the walks' records. A walk makes one record per step and
// the step releases it before the next is made, so the memory of a released
// record (with its shared pointer's count) is kept as the one spare block of
// its type and handed to the next record: a walk allocates once, not once
// per element. A record still held when the next is made simply gets fresh
// memory. Walks run on the test's one thread, so the spare needs no lock.
template <class T>
class RecordAllocator {
public:
    using value_type = T;

    RecordAllocator() = default;
    template <class U>
    RecordAllocator(const RecordAllocator<U> &) noexcept {} // rebinding, implicit as for every allocator

    T *allocate(std::size_t n) {
        if (n == 1 && spare_.block != nullptr) return static_cast<T *>(std::exchange(spare_.block, nullptr));
        return static_cast<T *>(::operator new(n * sizeof(T)));
    }
    void deallocate(T *p, std::size_t n) noexcept {
        if (n == 1 && spare_.block == nullptr) {
            spare_.block = p;
            return;
        }
        ::operator delete(p);
    }

    friend bool operator==(const RecordAllocator &, const RecordAllocator &) { return true; }

private:
    // Freed when the program ends.
    struct Spare {
        void *block = nullptr;
        Spare() = default;
        Spare(const Spare &) = delete;
        Spare &operator=(const Spare &) = delete;
        ~Spare() { ::operator delete(block); }
    };
    static inline Spare spare_;
};

// A face with fewer than no points is no answer a command can use: the walk
// fails (BadHostAnswer) rather than take the face for a deleted one.
bool IsLiveFace(const CMQObject &object, int32_t i) {
    return CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, i)) >= 1;
}

bool IsLiveVertex(const CMQObject &object, int32_t i) {
    return hostapi::MQObj_GetVertexRefCount(object.object, i) >= 1;
}

int SlotCount(int count) {
    if (count < 0) throw BadHostAnswer();
    return count;
}

} // namespace

CMQFace::~CMQFace() {
    index = -1;
    object = nullptr;
}

int CMQFace::GetPointCount() const { return hostapi::MQObj_GetFacePointCount(object->object, index); }

std::vector<int32_t> CMQFace::GetPoints() const { return object->GetFacePoints(index); }

bool CMQFace::IsSelected() const {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object->document, object->object);
    return hostapi::MQDoc_IsSelectFace(object->document, objectIndex, index) != 0;
}

void CMQFace::Select() const {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object->document, object->object);
    hostapi::MQDoc_AddSelectFace(object->document, objectIndex, index);
}

CMQVertex::~CMQVertex() {
    index = -1;
    object = nullptr;
    position = {};
}

std::shared_ptr<CMQFace> CMQFaceIterator::operator*() const {
    return std::allocate_shared<CMQFace>(RecordAllocator<CMQFace>(), index, object);
}

std::shared_ptr<CMQVertex> CMQVertexIterator::operator*() const {
    return std::allocate_shared<CMQVertex>(RecordAllocator<CMQVertex>(), index, object,
                                           object->GetVertexPosition(index));
}

CMQFaceIterator FirstFace(CMQObject &object) {
    CMQFaceIterator it{0, &object};
    if (hostapi::MQObj_GetFaceCount(object.object) > 0 && !IsLiveFace(object, 0)) Next(it);
    return it;
}

CMQVertexIterator FirstVertex(CMQObject &object) {
    CMQVertexIterator it{0, &object};
    if (hostapi::MQObj_GetVertexCount(object.object) > 0 && !IsLiveVertex(object, 0)) Next(it);
    return it;
}

CMQFaceIterator &Next(CMQFaceIterator &it) {
    const int count = hostapi::MQObj_GetFaceCount(it.object->object);
    do {
        ++it.index;
    } while (it.index < count && !IsLiveFace(*it.object, it.index));
    return it;
}

CMQVertexIterator &Next(CMQVertexIterator &it) {
    const int count = hostapi::MQObj_GetVertexCount(it.object->object);
    do {
        ++it.index;
    } while (it.index < count && !IsLiveVertex(*it.object, it.index));
    return it;
}

// A walk over an object with no slots ends at once. A negative count is no
// answer a walk can use: it fails (BadHostAnswer) rather than take the
// object for an empty one, so that a command cannot do half its work (the
// face step of an axis command on the true faces, its vertex step on none).
bool AtEnd(const CMQFaceIterator &it) {
    return it.index >= SlotCount(hostapi::MQObj_GetFaceCount(it.object->object));
}

bool AtEnd(const CMQVertexIterator &it) {
    return it.index >= SlotCount(hostapi::MQObj_GetVertexCount(it.object->object));
}

} // namespace cmq
