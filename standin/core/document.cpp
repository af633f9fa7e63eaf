#include "standin/core/document.h"

#include <algorithm>
#include <unordered_set>

#include "standin/core/host_checks.h"

namespace standin {
namespace {

// Handles the host has handed out and not taken back. A handle that is not
// here is never dereferenced.
// The last handle found in each set is remembered, since a command asks
// about the same document and object over and over; any removal forgets it.
// The remembered handles live outside the registry, so the common case (the
// same handle again) is one comparison, without reaching the registry.
constinit const void *g_lastDocument = nullptr;
constinit const void *g_lastObject = nullptr;

struct Registry {
    std::unordered_set<const void *> documents;
    std::unordered_set<const void *> objects;

    void EraseDocument(const void *p) {
        documents.erase(p);
        g_lastDocument = nullptr;
    }
    void EraseObject(const void *p) {
        objects.erase(p);
        g_lastObject = nullptr;
    }
    bool HasDocument(const void *p) {
        if (documents.count(p) == 0) return false;
        g_lastDocument = p;
        return true;
    }
    bool HasObject(const void *p) {
        if (objects.count(p) == 0) return false;
        g_lastObject = p;
        return true;
    }
};

Registry &Handles() {
    static Registry registry;
    return registry;
}

} // namespace

Object::Object(std::string name) : name_(std::move(name)) {}

int32_t Object::AddVertex(MQPoint position) {
    positions_.push_back(position);
    refCounts_.push_back(0);
    vertexSel_.push_back(0);
    return VertexCount() - 1;
}

int32_t Object::AddFace(std::span<const int32_t> points) {
    for (int32_t v : points) {
        if (!IsVertex(v)) return -1;
    }
    faceStart_.push_back(static_cast<uint32_t>(indices_.size()));
    faceCount_.push_back(static_cast<int32_t>(points.size()));
    faceSel_.push_back(0);
    for (int32_t v : points) {
        indices_.push_back(v);
        lineSel_.push_back(0);
        ++refCounts_[static_cast<size_t>(v)];
    }
    return FaceCount() - 1;
}

void Object::DeleteFace(int32_t face) {
    if (!IsFace(face)) return;
    for (int32_t v : Points(face)) --refCounts_[static_cast<size_t>(v)];
    const size_t f = static_cast<size_t>(face);
    std::fill_n(lineSel_.begin() + faceStart_[f], faceCount_[f], uint8_t{0});
    faceCount_[f] = 0;
    faceSel_[f] = 0;
}

bool Object::IsLineSelected(int32_t f, int32_t l) const {
    return IsLine(f, l) && lineSel_[faceStart_[static_cast<size_t>(f)] + static_cast<size_t>(l)] != 0;
}

bool Object::SelectVertex(int32_t v, bool on) {
    if (!IsVertex(v)) return false;
    vertexSel_[static_cast<size_t>(v)] = on ? 1 : 0;
    return true;
}

bool Object::SelectFace(int32_t f, bool on) {
    if (!IsFace(f) || PointCount(f) == 0) return false;
    faceSel_[static_cast<size_t>(f)] = on ? 1 : 0;
    return true;
}

bool Object::SelectLine(int32_t f, int32_t l, bool on) {
    if (!IsLine(f, l)) return false;
    lineSel_[faceStart_[static_cast<size_t>(f)] + static_cast<size_t>(l)] = on ? 1 : 0;
    return true;
}

void Object::ClearSelection(MQDWORD kinds) {
    if (kinds & MQ_SELECT_VERTEX) std::fill(vertexSel_.begin(), vertexSel_.end(), uint8_t{0});
    if (kinds & MQ_SELECT_LINE) std::fill(lineSel_.begin(), lineSel_.end(), uint8_t{0});
    if (kinds & MQ_SELECT_FACE) std::fill(faceSel_.begin(), faceSel_.end(), uint8_t{0});
}

std::vector<int32_t> Object::SelectedVertices() const {
    std::vector<int32_t> out;
    for (int32_t v = 0; v < VertexCount(); ++v)
        if (vertexSel_[static_cast<size_t>(v)]) out.push_back(v);
    return out;
}

std::vector<int32_t> Object::SelectedFaces() const {
    std::vector<int32_t> out;
    for (int32_t f = 0; f < FaceCount(); ++f)
        if (faceSel_[static_cast<size_t>(f)]) out.push_back(f);
    return out;
}

std::vector<LineRef> Object::SelectedLines() const {
    std::vector<LineRef> out;
    for (int32_t f = 0; f < FaceCount(); ++f)
        for (int32_t l = 0; l < PointCount(f); ++l)
            if (IsLineSelected(f, l)) out.push_back({f, l});
    return out;
}

Document::Document() { Handles().documents.insert(this); }

Document::~Document() {
    for (auto &slot : slots_)
        if (slot) Handles().EraseObject(slot.get());
    Handles().EraseDocument(this);
}

int32_t Document::AddObject(std::string name) {
    auto object = std::make_unique<Object>(std::move(name));
    object->owner_ = this;
    object->slot_ = ObjectCount();
    Handles().objects.insert(object.get());
    slots_.push_back(std::move(object));
    return ObjectCount() - 1;
}

int32_t Document::AddEmptySlot() {
    slots_.emplace_back();
    return ObjectCount() - 1;
}

void Document::RemoveObject(int32_t i) {
    Object *object = ObjectAt(i);
    if (object == nullptr) return;
    Handles().EraseObject(object);
    slots_[static_cast<size_t>(i)].reset();
}

Object *Document::ObjectAt(int32_t i) {
    if (i < 0 || i >= ObjectCount()) return nullptr;
    return slots_[static_cast<size_t>(i)].get();
}

const Object *Document::ObjectAt(int32_t i) const {
    if (i < 0 || i >= ObjectCount()) return nullptr;
    return slots_[static_cast<size_t>(i)].get();
}

int32_t Document::IndexOf(const Object *object) const {
    if (object == nullptr || object->owner_ != this) return -1;
    return object->slot_;
}

void Document::ClearSelection(MQDWORD kinds) {
    for (auto &slot : slots_)
        if (slot) slot->ClearSelection(kinds);
}

Document *Document::FromHandle(MQDocument handle) {
    CheckThread();
    const void *p = handle;
    if (p != nullptr && p == g_lastDocument) return reinterpret_cast<Document *>(handle);
    return Handles().HasDocument(p) ? reinterpret_cast<Document *>(handle) : nullptr;
}

Object *Document::ObjectFromHandle(MQObject handle) {
    CheckThread();
    const void *p = handle;
    if (p != nullptr && p == g_lastObject) return reinterpret_cast<Object *>(handle);
    return Handles().HasObject(p) ? reinterpret_cast<Object *>(handle) : nullptr;
}

} // namespace standin
