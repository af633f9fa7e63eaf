// The stand-in host's OBJ reader: any bytes as an OBJ file. They are loaded
// or refused with one line that names the file; a refused file leaves the
// document as it was. What is loaded is consistent (each object's record of
// where its vertices and faces came from matches the object), and written
// back as plain OBJ it loads again to the same vertices, bit for bit, and
// the same faces.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "standin/cli/obj_loader.h"
#include "tests/fuzz/support/fuzz_support.h"

namespace cli = standin::cli;

namespace {

const char *const kName = "fuzz.obj";

// Each object as "o", its vertices, then its faces: points as "p", two-point
// faces as "l", the rest as "f"; names made unique, since a name seen before
// returns to that object.
std::string WriteObj(standin::Document &doc, int32_t first) {
    std::string out;
    int32_t base = 1;
    char number[64];
    for (int32_t i = first; i < doc.ObjectCount(); ++i) {
        const standin::Object *o = doc.ObjectAt(i);
        if (o == nullptr) continue;
        out += "o object" + std::to_string(i) + "\n";
        for (int32_t v = 0; v < o->VertexCount(); ++v) {
            const MQPoint p = o->Position(v);
            std::snprintf(number, sizeof number, "v %.9g %.9g %.9g\n", static_cast<double>(p.x),
                          static_cast<double>(p.y), static_cast<double>(p.z));
            out += number;
        }
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            const auto points = o->Points(f);
            out += points.size() == 1 ? "p" : points.size() == 2 ? "l" : "f";
            for (int32_t v : points) out += " " + std::to_string(base + v);
            out += "\n";
        }
        base += o->VertexCount();
    }
    return out;
}

bool SameObjects(standin::Document &a, int32_t firstA, standin::Document &b, int32_t firstB, std::string &why) {
    std::vector<const standin::Object *> left, right;
    for (int32_t i = firstA; i < a.ObjectCount(); ++i)
        if (a.ObjectAt(i)) left.push_back(a.ObjectAt(i));
    for (int32_t i = firstB; i < b.ObjectCount(); ++i)
        if (b.ObjectAt(i)) right.push_back(b.ObjectAt(i));
    if (left.size() != right.size()) {
        why = std::to_string(left.size()) + " objects became " + std::to_string(right.size());
        return false;
    }
    for (size_t k = 0; k < left.size(); ++k) {
        const standin::Object &x = *left[k], &y = *right[k];
        if (x.VertexCount() != y.VertexCount() || x.FaceCount() != y.FaceCount()) {
            why = "object " + std::to_string(k) + " changed its counts";
            return false;
        }
        for (int32_t v = 0; v < x.VertexCount(); ++v) {
            const MQPoint p = x.Position(v), q = y.Position(v);
            if (std::memcmp(&p, &q, sizeof p) != 0) {
                why = "object " + std::to_string(k) + " vertex " + std::to_string(v) + " moved";
                return false;
            }
        }
        for (int32_t f = 0; f < x.FaceCount(); ++f) {
            const auto p = x.Points(f), q = y.Points(f);
            if (!std::equal(p.begin(), p.end(), q.begin(), q.end())) {
                why = "object " + std::to_string(k) + " face " + std::to_string(f) + " changed";
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    standin::Document doc;
    doc.AddObject("before");
    doc.ObjectAt(0)->AddVertex({1.0f, 2.0f, 3.0f});
    std::vector<cli::LoadedObject> loaded;
    try {
        loaded = cli::LoadObjText(bytes, kName, doc);
    } catch (const cli::InputError &e) {
        const std::string message = e.what();
        FUZZ_CHECK(message.rfind(kName, 0) == 0, "the message does not start with the file: %s", message.c_str());
        FUZZ_CHECK(message.find('\n') == std::string::npos, "the message is not one line: %s", message.c_str());
        FUZZ_CHECK(doc.ObjectCount() == 1 && doc.ObjectAt(0)->VertexCount() == 1 && doc.ObjectAt(0)->FaceCount() == 0,
                   "a refused file changed the document: %s", message.c_str());
        return 0;
    }
    for (const cli::LoadedObject &info : loaded) {
        const standin::Object *o = doc.ObjectAt(info.documentIndex);
        FUZZ_CHECK(info.documentIndex >= 1 && o != nullptr, "object slot %d is not a new object", info.documentIndex);
        FUZZ_CHECK(info.fileVertex.size() == static_cast<size_t>(o->VertexCount()),
                   "object %d has %d vertices, its record %zu", info.documentIndex, o->VertexCount(),
                   info.fileVertex.size());
        FUZZ_CHECK(info.sourceLine.size() == static_cast<size_t>(o->FaceCount()),
                   "object %d has %d faces, its record %zu", info.documentIndex, o->FaceCount(),
                   info.sourceLine.size());
        FUZZ_CHECK(o->VertexCount() > 0 || o->FaceCount() > 0, "object %d is empty", info.documentIndex);
        for (int32_t v = 0; v < o->VertexCount(); ++v) {
            const MQPoint p = o->Position(v);
            FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z),
                       "object %d vertex %d is not finite", info.documentIndex, v);
        }
    }
    FUZZ_CHECK(static_cast<int32_t>(loaded.size()) == doc.ObjectCount() - 1, "%zu objects recorded, %d made",
               loaded.size(), doc.ObjectCount() - 1);

    const std::string written = WriteObj(doc, 1);
    standin::Document again;
    try {
        cli::LoadObjText(written, kName, again);
    } catch (const cli::InputError &e) {
        FUZZ_CHECK(false, "the loaded mesh, written back, is refused: %s", e.what());
    }
    std::string why;
    FUZZ_CHECK(SameObjects(doc, 1, again, 0, why), "the loaded mesh, written back, loads differently: %s\n%s",
               why.c_str(), written.c_str());
    return 0;
}
