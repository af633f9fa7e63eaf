// The toolkit's state and widget tree: the one State, the default
// properties of each kind, attaching and destroying widgets, finding them by
// text, the spin-box rules that every change of a spin box's value goes
// through, and Reset. It touches the state directly and calls nothing in the
// other toolkit files: protocol.cpp, script.cpp and inspect.cpp build on it.
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "standin/core/host_checks.h"
#include "standin/toolkit/internal.h"
#include "standin/toolkit/toolkit.h"

namespace standin::toolkit {
namespace internal {

std::map<std::string, Value> Defaults(Kind kind) {
    std::map<std::string, Value> p;
    if ((Bit(kind) & kControls) != 0) {
        p["vertlayout"] = std::string("auto");
        p["horzlayout"] = std::string("auto");
        p["hintsizeratex"] = 1.0;
        p["hintsizeratey"] = 1.0;
    }
    if ((Bit(kind) & kTexts) != 0) p["text"] = std::string();
    switch (kind) {
    case Kind::MainWindow: p["title"] = std::string("main window"); break;
    case Kind::Dialog:
        p["title"] = std::string();
        p["pos_x"] = kDefaultDialogX;
        p["pos_y"] = kDefaultDialogY;
        break;
    case Kind::Frame:
    case Kind::GroupBox:
        p["alignment"] = std::string(kind == Kind::Frame ? "horz" : "vert");
        p["multicolumn"] = false;
        p["matrixcolumn"] = int32_t{0};
        break;
    case Kind::Label: break;
    case Kind::Button:
        p["cancel"] = false;
        p["modalresult"] = int32_t{0};
        break;
    case Kind::CheckBox: p["checked"] = false; break;
    case Kind::SpinBox:
        p["position"] = int32_t{0};
        p["min"] = int32_t{0};
        p["max"] = int32_t{99};
        p["increment"] = int32_t{1};
        p["visiblecolumn"] = int32_t{0};
        break;
    case Kind::DoubleSpinBox:
        p["position"] = 0.0;
        p["min"] = 0.0;
        p["max"] = 99.99;
        p["increment"] = 1.0;
        p["decimaldigit"] = int32_t{2};
        p["visiblecolumn"] = int32_t{0};
        break;
    }
    return p;
}

void State::AddMainWindow() {
    auto w = std::make_unique<Widget>();
    w->id = kMainWindowId;
    w->kind = Kind::MainWindow;
    w->props = Defaults(Kind::MainWindow);
    widgets[kMainWindowId] = std::move(w);
}

State &ToolkitState() {
    static State state;
    return state;
}

Widget *Find(int32_t id) {
    auto it = ToolkitState().widgets.find(id);
    return it != ToolkitState().widgets.end() ? it->second.get() : nullptr;
}

bool IsAncestor(int32_t ancestor, int32_t id) {
    for (Widget *w = Find(id); w != nullptr; w = Find(w->parent))
        if (w->id == ancestor) return true;
    return false;
}

namespace {

void Detach(Widget &w) {
    if (Widget *p = Find(w.parent)) std::erase(p->children, w.id);
    w.parent = 0;
}

} // namespace

void Attach(Widget &parent, Widget &child) {
    Detach(child);
    child.parent = parent.id;
    parent.children.push_back(child.id);
}

// Destroys one widget. Its children stay alive, detached: the plug-in
// destroys the widgets it made one by one, in an order of its own.
void Destroy(int32_t id) {
    Widget *w = Find(id);
    if (w == nullptr) return;
    Detach(*w);
    for (int32_t c : w->children)
        if (Widget *cw = Find(c)) cw->parent = 0;
    ToolkitState().widgets.erase(id);
}

void PreOrder(int32_t root, std::vector<int32_t> &out) {
    Widget *w = Find(root);
    if (w == nullptr) return;
    out.push_back(root);
    for (int32_t c : w->children) PreOrder(c, out);
}

std::string TextOf(const Widget &w) {
    auto it = w.props.find(w.kind == Kind::Dialog || w.kind == Kind::MainWindow ? "title" : "text");
    if (it == w.props.end()) return {};
    const auto *s = std::get_if<std::string>(&it->second);
    return s ? *s : std::string();
}

namespace {

bool InGroup(const Widget &w, const std::string &group) {
    if (group.empty()) return true;
    for (Widget *p = Find(w.parent); p != nullptr; p = Find(p->parent))
        if (p->kind == Kind::GroupBox && TextOf(*p) == group) return true;
    return false;
}

} // namespace

// Widgets below `root` (or anywhere for 0) with the text, of the kinds.
std::vector<int32_t> WithText(int32_t root, const std::string &text, const std::string &group, uint32_t kinds) {
    std::vector<int32_t> ids, found;
    if (root != 0) {
        PreOrder(root, ids);
    } else {
        for (auto &[id, w] : ToolkitState().widgets) ids.push_back(id);
    }
    for (int32_t id : ids) {
        Widget *w = Find(id);
        if ((Bit(w->kind) & kinds) != 0 && TextOf(*w) == text && InGroup(*w, group)) found.push_back(id);
    }
    return found;
}

// ---------------------------------------------------------------------------
// Spin boxes
// ---------------------------------------------------------------------------

namespace {

double RoundTo(double v, int32_t digits) {
    const double scale = std::pow(10.0, digits);
    const double r = std::round(v * scale) / scale;
    return std::isfinite(r) ? r : v;
}

} // namespace

// Applies a set of "position", "min", "max" or "decimaldigit" as a spin box
// does: the bounds stay ordered, a double spin box keeps its values on its
// decimal grid, and the position stays within the bounds.
void SetSpinValue(Widget &w, const std::string &keyword, const Value &v) {
    auto &p = w.props;
    if (w.kind == Kind::SpinBox) {
        const int32_t x = std::get<int32_t>(v);
        int32_t lo = std::get<int32_t>(p["min"]), hi = std::get<int32_t>(p["max"]);
        int32_t pos = std::get<int32_t>(p["position"]);
        if (keyword == "min") {
            lo = x;
            hi = std::max(hi, lo);
        } else if (keyword == "max") {
            hi = x;
            lo = std::min(lo, hi);
        } else {
            pos = x;
        }
        p["min"] = lo;
        p["max"] = hi;
        p["position"] = std::clamp(pos, lo, hi);
        return;
    }
    int32_t digits = std::get<int32_t>(p["decimaldigit"]);
    double lo = std::get<double>(p["min"]), hi = std::get<double>(p["max"]);
    double pos = std::get<double>(p["position"]);
    if (keyword == "decimaldigit") {
        digits = std::get<int32_t>(v);
    } else if (keyword == "min") {
        lo = std::get<double>(v);
        hi = std::max(hi, lo);
    } else if (keyword == "max") {
        hi = std::get<double>(v);
        lo = std::min(lo, hi);
    } else {
        pos = std::get<double>(v);
    }
    lo = RoundTo(lo, digits);
    hi = RoundTo(hi, digits);
    p["decimaldigit"] = digits;
    p["min"] = lo;
    p["max"] = hi;
    p["position"] = std::clamp(RoundTo(pos, digits), lo, hi);
}

void ApplySet(Widget &w, const std::string &keyword, const Value &v) {
    const bool spin = w.kind == Kind::SpinBox || w.kind == Kind::DoubleSpinBox;
    if (spin && (keyword == "position" || keyword == "min" || keyword == "max" || keyword == "decimaldigit"))
        SetSpinValue(w, keyword, v);
    else
        w.props[keyword] = v;
}

} // namespace internal

using namespace internal;

const char *KindName(Kind kind) {
    switch (kind) {
    case Kind::MainWindow: return "main_window";
    case Kind::Dialog: return "dialog";
    case Kind::Frame: return "frame";
    case Kind::GroupBox: return "groupbox";
    case Kind::Label: return "label";
    case Kind::Button: return "button";
    case Kind::CheckBox: return "checkbox";
    case Kind::SpinBox: return "spinbox";
    case Kind::DoubleSpinBox: return "doublespinbox";
    }
    return "unknown";
}

void Reset() {
    State &s = ToolkitState();
    s.widgets.clear();
    s.AddMainWindow();
    s.script.clear();
    s.runs.clear();
    s.scriptError.clear();
    ForgetMisbehaviour(standin::Functions::Toolkit);
    s.log.clear();
    s.logging = false;
    s.observer = nullptr;
}

} // namespace standin::toolkit
