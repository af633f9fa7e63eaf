// Documents and commands: the input becomes a small document (one to three
// objects or empty slots, up to twelve vertices with ordinary, huge,
// subnormal and non-finite coordinates, faces of 0 to 8 points whose indices
// may lie outside the object, deleted faces, locks, selections of every
// kind, object matrices), the dialog's options and one command 1 to 30,
// chosen by its button in the real module's dialog through MQModifySelect.
// Nothing may crash, the module may make no request the toolkit refuses, and
// every command must leave exactly the selection that the literal
// references (tests/support/reference/) leave on a copy of the document,
// routed as the dispatcher routes it; the module may name nothing the host
// has to refuse.
//
// Some inputs also switch on the stand-in host's hostile mode for the run
// (counts that are negative, too small or too large, point counts that are
// not the faces', point lists naming vertex -1, arrays left unwritten).
// Then the module must still return 0 or 1 without a refused toolkit
// request, and a run that answers 0 must leave the selection as it was.
// When the host only misreports how many vertex or face slots there are,
// impossibly (a negative count) or by too many (slots that hold nothing),
// the run either fails whole or gives the selection of the normal run.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "commands/command_table.h"
#include "commands/options.h"
#include "standin/core/document.h"
#include "standin/core/host_checks.h"
#include "standin/settings/settings_store.h"
#include "standin/toolkit/toolkit.h"
#include "tests/fuzz/support/fuzz_module.h"
#include "tests/fuzz/support/fuzz_support.h"
#include "tests/support/plugin_module.h"
#include "tests/support/reference/axis_polygon_index_reference.h"
#include "tests/support/reference/edge_ridge_reference.h"
#include "tests/support/reference/neighbor_reference.h"

namespace tk = standin::toolkit;

namespace {

const char *const kChecks[4] = {vexolin::kFaceSwitch.label, vexolin::kLocalSwitch.label,
                                vexolin::kSupplementSwitch.label, vexolin::kAllObjectsSwitch.label};

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kCoordinates[16] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f,  0.03f, 0.0316f, 2.0f,
                                -2.0f, 1e-3f, 1e-40f, 1e30f, 3e38f, kInf, -kInf, kNaN};
// Range, the two angles and the index, as typed into the spin boxes.
const double kRanges[8] = {0.0, 0.001, 0.01, 0.1, 0.5, 1.0, 100.0, 1e30};
const double kAngles[8] = {0.0, 1.0, 30.0, 45.0, 89.9, 90.0, 135.0, 180.0};
// The "Range" spin box takes 0 to 1000; the other values above lie inside
// every spin box's bounds and on its decimal grid, so they are used as typed.
constexpr double kRangeMax = vexolin::kRangeLimits.high;

// Object matrices (rows m[0..3] ... m[12..15]; a point is the row vector
// (x, y, z, 1) times the matrix): identity, translation by +10 along x, a
// mirror through the origin, x and y swapped, a small scale and shift onto
// the tolerance, a NaN in the y translation, and an overflowing scale.
const standin::Matrix kMatrices[7] = {
    {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1},
    {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1},
    {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
    {1e-3f, 0, 0, 0, 0, 1e-3f, 0, 0, 0, 0, 1e-3f, 0, -5e-4f, -1e-3f, 1e-3f, 1},
    {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, kNaN, 0, 1},
    {1e30f, 0, 0, 0, 0, 1e30f, 0, 0, 0, 0, 1e30f, 0, 0, 0, 0, 1},
};

// Hostile answers: a count as the host reports it for every object (none:
// the true count), and a point count for every face slot. 13 and 64 exceed
// every object's slots; the largest stay small so that a run stays cheap.
const int32_t kHostileCounts[8] = {-5, -1, 0, 1, 3, 7, 13, 64};
const int32_t kHostilePointCounts[8] = {-3, -1, 0, 1, 2, 3, 4, 16};

struct ObjectSpec {
    bool slot = false; // an empty slot instead of an object
    bool locked = false;
    std::vector<MQPoint> vertices;
    std::vector<std::vector<int32_t>> faces;
    std::vector<int32_t> deleted;
    std::vector<int32_t> vertexSel, faceSel;
    std::vector<standin::LineRef> lineSel;
    standin::Matrix matrix = kMatrices[0];
};

struct Case {
    std::vector<ObjectSpec> objects;
    int32_t current = 0;
    int command = 1;
    bool checks[4] = {};
    double range = 0.001, angle1 = 0.0, angle2 = 90.0;
    int32_t index = 0;
    bool hostile = false;
    standin::HostileAnswers answers;
};

Case Decode(fuzzsupport::ByteReader &in) {
    Case c;
    c.command = 1 + static_cast<int>(in.Below(30));
    for (bool &b : c.checks) b = in.Bool();
    c.range = kRanges[in.Below(8)];
    c.angle1 = kAngles[in.Below(8)];
    c.angle2 = kAngles[in.Below(8)];
    c.index = static_cast<int32_t>(in.Below(16));
    const uint32_t objects = 1 + in.Below(3);
    for (uint32_t o = 0; o < objects; ++o) {
        ObjectSpec spec;
        spec.slot = o > 0 && in.Below(8) == 0;
        if (!spec.slot) {
            spec.locked = in.Below(8) == 0;
            const uint32_t vertices = in.Below(13);
            for (uint32_t v = 0; v < vertices; ++v) {
                MQPoint p{kCoordinates[in.Below(16)], kCoordinates[in.Below(16)], kCoordinates[in.Below(16)]};
                spec.vertices.push_back(p);
            }
            const int32_t n = static_cast<int32_t>(vertices);
            const uint32_t faces = in.Below(9);
            for (uint32_t f = 0; f < faces; ++f) {
                std::vector<int32_t> points(in.Below(9));
                for (int32_t &p : points) {
                    const uint8_t b = in.Byte();
                    // Mostly inside the object; now and then past its end
                    // or negative, which the host refuses.
                    p = b >= 248 ? (b & 1 ? n + (b & 3) : -1) : (n > 0 ? b % n : b);
                }
                spec.faces.push_back(std::move(points));
            }
            for (uint32_t d = in.Below(3); d > 0 && faces > 0; --d) spec.deleted.push_back(static_cast<int32_t>(in.Below(faces)));
            for (uint32_t s = in.Below(8); s > 0; --s) {
                const int32_t a = static_cast<int32_t>(in.Below(16)), b = static_cast<int32_t>(in.Below(9));
                switch (in.Below(3)) {
                case 0: spec.vertexSel.push_back(a); break;
                case 1: spec.faceSel.push_back(a); break;
                default: spec.lineSel.push_back({a, b}); break;
                }
            }
        }
        c.objects.push_back(std::move(spec));
    }
    c.current = static_cast<int32_t>(in.Below(objects + 1)) - (in.Below(8) == 0 ? 1 : 0);
    // Read last, so that inputs written before these existed decode as they
    // did (a reader that runs dry reads zeros: identity, no hostile mode).
    for (ObjectSpec &spec : c.objects) spec.matrix = kMatrices[in.Below(7)];
    const uint8_t hostile = in.Byte();
    c.hostile = (hostile & 7) == 7; // one input in eight
    if (c.hostile) {
        const uint32_t vertices = in.Below(9), faces = in.Below(9), points = in.Below(9);
        if (vertices > 0) c.answers.vertexCount = kHostileCounts[vertices - 1];
        if (faces > 0) c.answers.faceCount = kHostileCounts[faces - 1];
        if (points > 0) c.answers.facePointCount = kHostilePointCounts[points - 1];
        if ((hostile & 8) != 0) c.answers.pointsNameVertex = -1;
        c.answers.arraysLeftUnwritten = (hostile & 16) != 0;
    }
    return c;
}

void Build(const Case &c, standin::Document &doc) {
    for (const ObjectSpec &spec : c.objects) {
        if (spec.slot) {
            doc.AddEmptySlot();
            continue;
        }
        standin::Object &o = *doc.ObjectAt(doc.AddObject("obj"));
        o.locked = spec.locked;
        o.matrix = spec.matrix;
        for (const MQPoint &p : spec.vertices) o.AddVertex(p);
        for (const auto &face : spec.faces) o.AddFace(face); // the host refuses bad indices
        for (int32_t f : spec.deleted) o.DeleteFace(f);
        for (int32_t v : spec.vertexSel) o.SelectVertex(v, true);
        for (int32_t f : spec.faceSel) o.SelectFace(f, true);
        for (const auto &l : spec.lineSel) o.SelectLine(l.face, l.line, true);
    }
    doc.currentObject = c.current;
}

struct Selection {
    std::vector<std::vector<int32_t>> vertices, faces;
    std::vector<std::vector<standin::LineRef>> lines;
    bool operator==(const Selection &) const = default;
};

Selection SelectionOf(standin::Document &doc) {
    Selection s;
    for (int32_t i = 0; i < doc.ObjectCount(); ++i) {
        const standin::Object *o = doc.ObjectAt(i);
        s.vertices.push_back(o ? o->SelectedVertices() : std::vector<int32_t>());
        s.faces.push_back(o ? o->SelectedFaces() : std::vector<int32_t>());
        s.lines.push_back(o ? o->SelectedLines() : std::vector<standin::LineRef>());
    }
    return s;
}

std::string Describe(const Selection &s) {
    std::string out;
    for (size_t i = 0; i < s.vertices.size(); ++i) {
        out += "\n  object " + std::to_string(i) + ": v[";
        for (int32_t v : s.vertices[i]) out += " " + std::to_string(v);
        out += " ] l[";
        for (const auto &l : s.lines[i]) out += " " + std::to_string(l.face) + ":" + std::to_string(l.line);
        out += " ] f[";
        for (int32_t f : s.faces[i]) out += " " + std::to_string(f);
        out += " ]";
    }
    return out;
}

// The options record the dialog leaves: the check boxes as clicked, the spin
// boxes as typed (the range stopped at its bound), rounded to single
// precision.
vexolin::Options InputOf(const Case &c) {
    vexolin::Options in;
    in.commandNumber = c.command;
    in.face = c.checks[0];
    in.local = c.checks[1];
    in.suppl = c.checks[2];
    in.allObjects = c.checks[3];
    in.range = static_cast<float>(std::min(c.range, kRangeMax));
    in.angle1 = static_cast<float>(c.angle1);
    in.angle2 = static_cast<float>(c.angle2);
    in.selectIndex = c.index;
    return in;
}

// The command as the dispatcher routes it, each object's part done by its
// literal reference, on `doc` through this process's host table:
//   - clears (26-28) clear the whole document once: on the single-object
//     path always, with "All objects" when the walk reaches an object that
//     is present and not locked;
//   - conversions, duplicates (16-25) and the index commands (29, 30) work on
//     the current object only, "All objects" or not;
//   - the rest work on the current object, or with "All objects" on each
//     object that is present and not locked, in index order.
void RunReference(MQDocument doc, const vexolin::Options &in) {
    const int command = in.commandNumber;
    const auto runOn = [&](cmq::CMQObject object) {
        if (command <= 9) {
            if (in.face) reference::AxisFaces(object, in);
            reference::AxisVertices(object, in);
        } else if (command <= 13) {
            reference::PolygonByCount(object, command);
        } else if (command <= 15) {
            reference::EdgeRidge(object, in);
        } else if (command <= 25) {
            reference::Run(object, command);
        } else if (command >= 29) {
            reference::SelectByIndex(object, command, in.selectIndex);
        }
    };
    const bool clear = command >= 26 && command <= 28;
    const MQDWORD kind = command == 26 ? MQ_SELECT_VERTEX : command == 27 ? MQ_SELECT_FACE : MQ_SELECT_LINE;
    const bool currentOnly = (command >= 16 && command <= 25) || command >= 29;
    if (!in.allObjects || currentOnly) {
        if (clear) {
            hostapi::MQDoc_ClearSelect(doc, kind);
            return;
        }
        const MQObject current = hostapi::MQDoc_GetObject(doc, hostapi::MQDoc_GetCurrentObjectIndex(doc));
        if (current != nullptr) runOn({current, doc});
        return;
    }
    for (int i = 0; i < hostapi::MQDoc_GetObjectCount(doc); ++i) {
        const MQObject object = hostapi::MQDoc_GetObject(doc, i);
        if (object == nullptr || hostapi::MQDoc_GetObjectIndex(doc, object) < 0) continue;
        if (hostapi::MQObj_GetIntValue(object, MQ_OBJ_INT_LOCKING) != 0) continue;
        if (clear) {
            hostapi::MQDoc_ClearSelect(doc, kind);
            return;
        }
        runOn({object, doc});
    }
}

std::string DescribeAnswers(const Case &c) {
    if (!c.hostile) return "normal host";
    const auto count = [](const std::optional<int32_t> &n) { return n ? std::to_string(*n) : std::string("true"); };
    return "hostile host: vertex count " + count(c.answers.vertexCount) + ", face count " +
           count(c.answers.faceCount) + ", point count " + count(c.answers.facePointCount) +
           (c.answers.pointsNameVertex ? ", points " + std::to_string(*c.answers.pointsNameVertex) : "") +
           (c.answers.arraysLeftUnwritten ? ", arrays unwritten" : "");
}

// Whether the hostile answers only misreport the number of slots, each
// count either impossible (negative) or at least every object's true count,
// so that the extra slots read as unused vertices and deleted faces.
bool OnlySlotCountsMisreported(const Case &c, standin::Document &doc) {
    const standin::HostileAnswers &a = c.answers;
    if (a.pointsNameVertex || a.arraysLeftUnwritten) return false;
    if (a.facePointCount && *a.facePointCount >= 0) return false;
    for (int32_t i = 0; i < doc.ObjectCount(); ++i) {
        const standin::Object *o = doc.ObjectAt(i);
        if (o == nullptr) continue;
        if (a.vertexCount && *a.vertexCount >= 0 && *a.vertexCount < o->VertexCount()) return false;
        if (a.faceCount && *a.faceCount >= 0 && *a.faceCount < o->FaceCount()) return false;
    }
    return true;
}

// The module, and this process's own host table bound to the same stand-in
// host for the literal references.
testsupport::PluginModule &Module() {
    testsupport::PluginModule &module = fuzzsupport::BoundModule();
    static const bool bound = hostapi::Bind(STANDIN_HOST_PATH);
    FUZZ_CHECK(bound, "cannot bind the reference to %s", STANDIN_HOST_PATH);
    return module;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    testsupport::PluginModule &module = Module();
    static standin::SettingsStore store;
    store.Clear();
    standin::SetHostSettings(&store);
    tk::Reset();

    fuzzsupport::ByteReader in(data, size);
    const Case c = Decode(in);

    // The options as the user sets them: each check box clicked when it is
    // not as wanted (the module remembers "All objects" from run to run),
    // the four spin boxes typed in, then the command's button.
    tk::SetModalObserver([&c](int32_t dialog) {
        std::vector<tk::Action> actions;
        for (int k = 0; k < 4; ++k) {
            const int32_t box = tk::FindByText(kChecks[k], {}, dialog);
            FUZZ_CHECK(box != 0, "no check box %s", kChecks[k]);
            const std::optional<tk::Value> checked = tk::Property(box, "checked");
            FUZZ_CHECK(checked && std::holds_alternative<bool>(*checked), "check box %s has no state", kChecks[k]);
            if (std::get<bool>(*checked) != c.checks[k]) actions.push_back(tk::Action::ClickId(box));
        }
        actions.push_back(tk::Action::SetSpinAt(0, c.range));
        actions.push_back(tk::Action::SetSpinAt(1, c.angle1));
        actions.push_back(tk::Action::SetSpinAt(2, c.angle2));
        actions.push_back(tk::Action::SetSpinAt(3, c.index));
        // The button by its label and group (equal labels sit in different groups).
        const vexolin::CommandInfo *b = vexolin::FindCommand(c.command);
        FUZZ_CHECK(b != nullptr, "no command %d", c.command);
        actions.push_back(tk::Action::Click(b->label, b->group));
        tk::AppendScript(std::move(actions));
    });
    standin::Document doc;
    Build(c, doc);
    const Selection before = SelectionOf(doc);
    tk::SetScript({});
    standin::ResetMisbehaviour();
    if (c.hostile) standin::SetHostileAnswers(c.answers);
    const int answer = module.MQModifySelect(0, doc.Handle());
    standin::ClearHostileAnswers();
    const std::string misbehaviour = standin::FirstMisbehaviour();
    standin::ResetMisbehaviour();
    const std::string answers = DescribeAnswers(c);
    const std::string scriptError = tk::ScriptError();
    FUZZ_CHECK(scriptError.empty(), "the scripted user failed: %s", scriptError.c_str());
    const std::string violation = tk::FirstViolation();
    FUZZ_CHECK(violation.empty(), "command %d, %s: the toolkit refused a request of the module: %s", c.command,
               answers.c_str(), violation.c_str());
    tk::Reset();
    const Selection got = SelectionOf(doc);

    // The selection the command leaves with a host that answers truly.
    standin::Document copy;
    Build(c, copy);
    RunReference(copy.Handle(), InputOf(c));
    standin::ResetMisbehaviour(); // the index references hand any index to the host
    const Selection expected = SelectionOf(copy);

    if (!c.hostile) {
        FUZZ_CHECK(answer == 1, "command %d: MQModifySelect answered %d", c.command, answer);
        FUZZ_CHECK(misbehaviour.empty(), "command %d: the module made a call the host had to refuse: %s", c.command,
                   misbehaviour.c_str());
        FUZZ_CHECK(got == expected, "command %d differs from its reference\n got:%s\n expected:%s", c.command,
                   Describe(got).c_str(), Describe(expected).c_str());
    } else {
        FUZZ_CHECK(answer == 0 || answer == 1, "command %d, %s: MQModifySelect answered %d", c.command,
                   answers.c_str(), answer);
        FUZZ_CHECK(answer == 1 || got == before,
                   "command %d, %s: the run failed but changed the selection\n before:%s\n after:%s", c.command,
                   answers.c_str(), Describe(before).c_str(), Describe(got).c_str());
        FUZZ_CHECK(!OnlySlotCountsMisreported(c, doc) || got == before || got == expected,
                   "command %d, %s: neither the selection as it was nor the normal run's\n before:%s\n got:%s\n "
                   "normal:%s",
                   c.command, answers.c_str(), Describe(before).c_str(), Describe(got).c_str(),
                   Describe(expected).c_str());
        return 0;
    }

    if (c.command >= 26 && c.command <= 28) {
        // With "All objects" the clear runs once the loop over the objects
        // reaches one that is not locked; with none such it never runs.
        bool clears = !c.checks[3];
        for (const ObjectSpec &spec : c.objects) clears = clears || (!spec.slot && !spec.locked);
        for (size_t i = 0; clears && i < got.vertices.size(); ++i) {
            FUZZ_CHECK(c.command != 26 || got.vertices[i].empty(), "vertices still selected after clearing");
            FUZZ_CHECK(c.command != 27 || got.faces[i].empty(), "faces still selected after clearing");
            FUZZ_CHECK(c.command != 28 || got.lines[i].empty(), "lines still selected after clearing");
        }
    }
    return 0;
}
