// Commands 14 and 15 against a literal reference: thousands of small random
// documents, each built twice, one copy run through the reference
// (tests/support/reference/edge_ridge_reference.h: the mesh model's
// queries, a map of edge keys to every occurrence in the order found) and
// one through the command, which groups lines by sorting them by their
// smaller vertex or, for odd indices, through a hash map of edge keys.
// Compared: the result, every object's final selection, and the selection
// changes in call order. The suite runs once with side threads off and once
// with four threads, side tasks started for every document however small.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "plugin/command_dispatch.h"
#include "select/ridge_window.h"
#include "select/parallel.h"
#include "standin/core/call_log.h"
#include "standin/core/document.h"
#include "tests/support/reference/edge_ridge_reference.h"
#include "tests/unit/unit_fixture.h"

namespace {

struct Spec {
    int32_t vertexSlots = 0;
    std::vector<MQPoint> positions; // of the first positions.size() slots; the rest at the origin
    std::vector<std::vector<int32_t>> faces;
    std::vector<int32_t> deleted;
    std::vector<int32_t> selVertices, selFaces;
    std::vector<standin::LineRef> selLines;
    vexolin::Options input;
};

class Draw {
public:
    explicit Draw(uint32_t seed) : engine_(seed) {}
    int32_t Below(int32_t n) { return static_cast<int32_t>(engine_() % static_cast<uint32_t>(n)); }
    bool Chance(int32_t percent) { return Below(100) < percent; }

private:
    std::mt19937 engine_;
};

Spec RandomSpec(uint32_t seed) {
    Draw d(seed);
    Spec s;
    // A few vertex slots, so that faces share edges (often three or more
    // times); now and then very many slots, used high up, so that vertex
    // indices are far beyond the line count.
    const bool far = d.Chance(3);
    const int32_t pool = 3 + d.Below(10);
    s.vertexSlots = far ? 70000 + d.Below(1000) : pool;
    const int32_t base = far ? s.vertexSlots - pool : 0;
    for (int32_t v = 0; v < pool + base && v < s.vertexSlots; ++v) {
        if (v < base) continue;
        // Small integers and halves: exact folds of 0, 90 and 180 degrees
        // occur, as do degenerate faces.
        s.positions.resize(static_cast<std::size_t>(v + 1));
        s.positions[static_cast<std::size_t>(v)] = {static_cast<float>(d.Below(5) - 2) * 0.5f,
                                                    static_cast<float>(d.Below(5) - 2) * 0.5f,
                                                    static_cast<float>(d.Below(3) - 1) * 0.5f};
    }
    const int32_t faceCount = d.Below(14);
    for (int32_t f = 0; f < faceCount; ++f) {
        const int32_t n = d.Chance(2) ? 1 : 2 + d.Below(d.Chance(80) ? 3 : 5);
        std::vector<int32_t> face;
        for (int32_t k = 0; k < n; ++k) face.push_back(base + d.Below(pool));
        s.faces.push_back(face);
    }
    // Sometimes a fan: one centre with more spokes than a short run holds.
    if (d.Chance(4)) {
        const int32_t spokes = 60 + d.Below(20);
        const int32_t first = s.vertexSlots;
        s.vertexSlots += spokes + 1;
        for (int32_t k = 0; k <= spokes; ++k)
            s.positions.resize(static_cast<std::size_t>(s.vertexSlots), {static_cast<float>(k), 1.0f, 0.0f});
        for (int32_t k = 0; k < spokes; ++k) s.faces.push_back({0, first + k, first + k + 1});
    }
    // Sometimes a face of many lines.
    if (d.Chance(5)) {
        std::vector<int32_t> face;
        for (int32_t k = 33 + d.Below(70); k > 0; --k) face.push_back(base + d.Below(pool));
        s.faces.insert(s.faces.begin() + d.Below(static_cast<int32_t>(s.faces.size()) + 1), face);
    }
    for (int32_t f = 0; f < static_cast<int32_t>(s.faces.size()); ++f)
        if (d.Chance(8)) s.deleted.push_back(f);
    const int32_t selectWhat = d.Below(5); // 0: nothing selected
    if (selectWhat != 0) {
        for (int32_t v = 0; v < s.vertexSlots && v < 200; ++v)
            if (d.Chance(selectWhat * 8)) s.selVertices.push_back(v);
        for (int32_t f = 0; f < static_cast<int32_t>(s.faces.size()); ++f) {
            if (d.Chance(selectWhat * 4)) s.selFaces.push_back(f);
            for (int32_t k = 0; k < static_cast<int32_t>(s.faces[static_cast<std::size_t>(f)].size()); ++k)
                if (d.Chance(selectWhat * 3)) s.selLines.push_back({f, k});
        }
    }
    s.input.commandNumber = d.Chance(50) ? 14 : 15;
    const float angles[] = {-200.0f, -90.0f, -45.0f, 0.0f, 45.0f, 90.0f, 135.0f, 180.0f, 200.0f};
    s.input.angle1 = angles[d.Below(9)];
    s.input.angle2 = angles[d.Below(9)];
    s.input.suppl = d.Chance(40);
    s.input.allObjects = d.Chance(20);
    return s;
}

// The current object of `doc` built from `spec`, beside a second object
// with a selected vertex, line and face (which a clear must reach).
cmq::CMQObject Build(standin::Document &doc, const Spec &spec) {
    const int32_t i = doc.AddObject("work");
    standin::Object &o = *doc.ObjectAt(i);
    for (int32_t v = 0; v < spec.vertexSlots; ++v)
        o.AddVertex(v < static_cast<int32_t>(spec.positions.size()) ? spec.positions[static_cast<std::size_t>(v)]
                                                                     : MQPoint{0, 0, 0});
    for (const auto &face : spec.faces) o.AddFace(face);
    for (const int32_t f : spec.deleted) o.DeleteFace(f);
    for (const int32_t v : spec.selVertices) o.SelectVertex(v, true);
    for (const int32_t f : spec.selFaces) o.SelectFace(f, true);
    for (const auto &l : spec.selLines) o.SelectLine(l.face, l.line, true);
    standin::Object &other = *doc.ObjectAt(doc.AddObject("other"));
    other.AddVertex({0, 0, 0});
    other.AddVertex({1, 0, 0});
    other.AddVertex({0, 1, 0});
    const int32_t tri[3] = {0, 1, 2};
    other.AddFace(tri);
    other.SelectVertex(1, true);
    other.SelectFace(0, true);
    other.SelectLine(0, 2, true);
    doc.currentObject = i;
    return {standin::Document::HandleOf(&o), doc.Handle()};
}

struct Outcome {
    int result = 0;
    std::vector<standin::HostCall> calls;
    std::vector<std::vector<int32_t>> vertices, faces;
    std::vector<std::vector<standin::LineRef>> lines;
};

template <class Run> Outcome RunOn(const Spec &spec, Run run) {
    standin::Document doc;
    cmq::CMQObject object = Build(doc, spec);
    standin::StartCallLog();
    Outcome out;
    out.result = run(object, spec.input);
    out.calls = standin::StopCallLog();
    for (int32_t i = 0; i < doc.ObjectCount(); ++i) {
        out.vertices.push_back(doc.ObjectAt(i)->SelectedVertices());
        out.faces.push_back(doc.ObjectAt(i)->SelectedFaces());
        out.lines.push_back(doc.ObjectAt(i)->SelectedLines());
    }
    return out;
}

class EdgeRidgeDifferential : public testsupport::HostTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        HostTest::SetUp();
        selection::SetThreading({GetParam(), 0});
    }
    void TearDown() override {
        selection::SetThreading(selection::DefaultThreading());
        HostTest::TearDown();
    }
};

TEST_P(EdgeRidgeDifferential, MatchesTheLiteralCommandOnRandomDocuments) {
    int changed = 0;
    for (uint32_t seed = 1; seed <= 6000; ++seed) {
        const Spec spec = RandomSpec(seed);
        const Outcome want = RunOn(spec, reference::EdgeRidge);
        const Outcome got = RunOn(spec, [](cmq::CMQObject &o, const vexolin::Options &in) {
            return vexolin::RunCommandOn(o, in);
        });
        ASSERT_EQ(got.result, want.result) << "seed " << seed;
        ASSERT_EQ(got.calls, want.calls) << "seed " << seed;
        ASSERT_EQ(got.vertices, want.vertices) << "seed " << seed;
        ASSERT_EQ(got.faces, want.faces) << "seed " << seed;
        ASSERT_EQ(got.lines, want.lines) << "seed " << seed;
        for (const auto &call : want.calls)
            if (call.name == "MQDoc_AddSelectLine") {
                ++changed;
                break;
            }
    }
    // The cases must exercise the selecting paths, not only the clearing.
    EXPECT_GT(changed, 1000);
}

INSTANTIATE_TEST_SUITE_P(Threads, EdgeRidgeDifferential, ::testing::Values(1, 4),
                         [](const ::testing::TestParamInfo<int> &param) { return std::to_string(param.param); });

} // namespace
