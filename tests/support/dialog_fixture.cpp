#include "tests/support/dialog_fixture.h"

#include <ostream>

#include "tests/support/meshes.h"

namespace testsupport {

Selection SelectionOf(const standin::Document &doc) {
    Selection s;
    for (int32_t i = 0; i < doc.ObjectCount(); ++i) {
        const standin::Object *o = doc.ObjectAt(i);
        if (o == nullptr) {
            s.objects.emplace_back();
            continue;
        }
        s.objects.push_back({o->SelectedVertices(), o->SelectedLines(), o->SelectedFaces()});
    }
    return s;
}

std::ostream &operator<<(std::ostream &out, const Selection &s) {
    for (size_t i = 0; i < s.objects.size(); ++i) {
        out << "\n  object " << i << ": v[";
        for (int32_t v : s.objects[i].vertices) out << ' ' << v;
        out << " ] l[";
        for (const auto &l : s.objects[i].lines) out << ' ' << l.face << ':' << l.line;
        out << " ] f[";
        for (int32_t f : s.objects[i].faces) out << ' ' << f;
        out << " ]";
    }
    return out;
}

void BuildRichDocument(standin::Document &doc) {
    using testsupport::AddMesh;
    // Object 0, the current one: a closed cube with clockwise faces (all its
    // edges bend by 90 degrees), straddling every axis plane.
    doc.AddObject("work");
    standin::Object &work = *doc.ObjectAt(0);
    testsupport::AddCube(work, true);
    for (int32_t v = 0; v < 8; ++v) {
        const MQPoint p = work.Position(v);
        work.SetPosition(v, {p.x - 0.5f, p.y - 0.25f, p.z - 0.75f});
    }
    // An open fan beside it: a triangle, a pentagon, a two-point face, a
    // vertex on the x = 0 plane, an exact twin of vertex 8 and a near one.
    AddMesh(work,
            {{2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {2.5f, 1.5f, 0}, {2, 1, 0}, {0, 0.5f, 0.5f},
             {2, 0, 0}, {2.01f, 0, 0}},
            {{0, 1, 4}, {1, 2, 3, 4, 0}, {5, 0}, {6, 2, 1}, {7, 1, 2}});
    // A selection to convert: the four bottom vertices of the cube, its top
    // face, both lines of the bottom edge 0-1 and the bottom's line 1-2, one
    // fan face and one fan line.
    for (int32_t v : {0, 1, 2, 3}) work.SelectVertex(v, true);
    work.SelectFace(1, true);
    work.SelectLine(2, 2, true);
    work.SelectLine(0, 3, true);
    work.SelectLine(0, 0, true);
    work.SelectFace(7, true);
    work.SelectLine(10, 0, true);

    // Object 1: a quad grid with a one-point face (which the edge commands
    // refuse); object 2: an empty slot; object 3: locked.
    doc.AddObject("grid");
    testsupport::AddQuadGrid(*doc.ObjectAt(1), 2, 2);
    AddMesh(*doc.ObjectAt(1), {{5, 5, 5}}, {{0}});
    doc.ObjectAt(1)->SelectFace(3, true);
    doc.AddEmptySlot();
    doc.AddObject("locked");
    testsupport::AddQuadGrid(*doc.ObjectAt(3), 1, 1);
    doc.ObjectAt(3)->locked = true;
    doc.currentObject = 0;
}

std::optional<std::string> StoredOption(const char *key) {
    standin::SettingsStore *store = standin::HostSettings();
    if (store == nullptr) return std::nullopt;
    const pugi::xml_node section = store->PluginSettings().child("Plugin-6D2B5F14-39C4E8A7");
    const pugi::xml_node node = section.child(key);
    if (!node) return std::nullopt;
    return std::string(node.text().get());
}

} // namespace testsupport
