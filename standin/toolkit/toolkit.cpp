// The headless widget toolkit behind MQWidget_Value.
//
// Every request is checked before anything changes: the widget ID must name
// a live widget of a kind that supports the operation, every keyword must be
// known to the operation (and, for properties, to the widget's kind), every
// value pointer the toolkit reads or writes must be non-null, and every value
// that can be checked is (bytes of bools are 0 or 1, keyword values come from
// the property's set, doubles are finite, counts are not negative). A request
// that fails a check changes nothing, returns 0 and is recorded as a
// protocol violation.
#include "standin/toolkit/toolkit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <utility>

#include "abi/mq_host_declarations.h"
#include "abi/utf_text.h"

namespace standin::toolkit {
namespace {

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

constexpr size_t kMaxKeyword = 64;      // longest ASCII keyword read from a list
constexpr size_t kMaxWideText = 65536;  // longest wide text accepted, in code units
constexpr size_t kMaxPairs = 256;       // a list longer than this is taken as unterminated

// Reads a NUL-terminated printable ASCII text of at most kMaxKeyword
// characters. False for null, non-ASCII or overlong text.
bool ReadAscii(const void *p, std::string &out) {
    if (p == nullptr) return false;
    const auto *s = static_cast<const char *>(p);
    out.clear();
    for (size_t i = 0; i <= kMaxKeyword; ++i) {
        const char c = s[i];
        if (c == '\0') return true;
        if (c < 0x20 || c > 0x7E) return false;
        out.push_back(c);
    }
    return false;
}

// Reads NUL-terminated UTF-16 text of fewer than kMaxWideText units into
// UTF-8. False for null, overlong or ill-formed text (an unpaired surrogate):
// the toolkit refuses such a request rather than guess at the text.
bool ReadWide(const void *p, std::string &out) {
    if (p == nullptr) return false;
    const auto *s = static_cast<const char16_t *>(p);
    size_t length = 0;
    while (length < kMaxWideText && s[length] != 0) ++length;
    if (length == kMaxWideText) return false;
    out.clear();
    return vexolin::utf::Utf16ToUtf8(std::u16string_view(s, length), out, vexolin::utf::Malformed::Reject);
}

std::string Hex(int32_t code) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<uint32_t>(code), 16);
    return "0x" + std::string(buf, r.ptr);
}

std::string FormatDouble(double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Quote(const std::string &s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\x";
            const char *digits = "0123456789abcdef";
            out.push_back(digits[(c >> 4) & 0xF]);
            out.push_back(digits[c & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

// ---------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------

enum class Form { WideText, Keyword, Bool, Int, Double };

constexpr uint32_t Bit(Kind k) { return 1u << static_cast<unsigned>(k); }

constexpr uint32_t kFrames = Bit(Kind::Frame) | Bit(Kind::GroupBox);
constexpr uint32_t kControls = kFrames | Bit(Kind::Label) | Bit(Kind::Button) | Bit(Kind::CheckBox) |
                               Bit(Kind::SpinBox) | Bit(Kind::DoubleSpinBox);
constexpr uint32_t kTexts = Bit(Kind::GroupBox) | Bit(Kind::Label) | Bit(Kind::Button) | Bit(Kind::CheckBox);
constexpr uint32_t kSpin = Bit(Kind::SpinBox);
constexpr uint32_t kDSpin = Bit(Kind::DoubleSpinBox);

struct PropertySpec {
    const char *keyword;
    Form form;
    uint32_t kinds;
    bool gettable; // texts and keyword values are set-only: a get has no storage form for them
};

constexpr PropertySpec kProperties[] = {
    {"text", Form::WideText, kTexts, false},
    {"title", Form::WideText, Bit(Kind::Dialog), false},
    {"alignment", Form::Keyword, kFrames, false},
    {"multicolumn", Form::Bool, kFrames, true},
    {"matrixcolumn", Form::Int, kFrames, true},
    {"vertlayout", Form::Keyword, kControls, false},
    {"horzlayout", Form::Keyword, kControls, false},
    {"hintsizeratex", Form::Double, kControls, true},
    {"hintsizeratey", Form::Double, kControls, true},
    {"cancel", Form::Bool, Bit(Kind::Button), true},
    {"modalresult", Form::Int, Bit(Kind::Button), true},
    {"checked", Form::Bool, Bit(Kind::CheckBox), true},
    {"position", Form::Int, kSpin, true},
    {"position", Form::Double, kDSpin, true},
    {"min", Form::Int, kSpin, true},
    {"min", Form::Double, kDSpin, true},
    {"max", Form::Int, kSpin, true},
    {"max", Form::Double, kDSpin, true},
    {"increment", Form::Int, kSpin, true},
    {"increment", Form::Double, kDSpin, true},
    {"decimaldigit", Form::Int, kDSpin, true},
    {"visiblecolumn", Form::Int, kSpin | kDSpin, true},
    {"pos_x", Form::Int, Bit(Kind::Dialog), true},
    {"pos_y", Form::Int, Bit(Kind::Dialog), true},
};

constexpr int32_t kMaxDecimalDigits = 15;

// The property spec for a keyword on a kind; `known` tells an unknown
// keyword from one that exists for other kinds.
const PropertySpec *FindProperty(const std::string &keyword, Kind kind, bool &known) {
    known = false;
    for (const PropertySpec &p : kProperties) {
        if (keyword != p.keyword) continue;
        known = true;
        if ((p.kinds & Bit(kind)) != 0) return &p;
    }
    return nullptr;
}

bool KeywordAllowed(const std::string &property, const std::string &value) {
    if (property == "alignment") return value == "horz" || value == "vert";
    return value == "auto" || value == "fill" || value == "hintsize"; // layouts
}

const char *const kEventNames[] = {
    "execute", "changed", "keydown", "keyup", "leftdown", "leftup", "leftdoubleclick", "middledown",
    "middleup", "middledoubleclick", "rightdown", "rightup", "rightdoubleclick", "mousemove",
    "mousewheel", "paint", "listdrawitem", "treelistdrawitem",
};

bool IsEventName(const std::string &s) {
    return std::any_of(std::begin(kEventNames), std::end(kEventNames), [&](const char *n) { return s == n; });
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

struct Handler {
    std::string type;
    MQWidgetEventProc proc = nullptr;
    void *pointer = nullptr;
    bool prior = false;
};

struct Widget {
    int32_t id = 0;
    Kind kind = Kind::Frame;
    int32_t parent = 0;
    std::vector<int32_t> children;
    std::map<std::string, Value> props;
    std::vector<Handler> handlers;
};

struct Frame {
    int32_t dialog = 0;
    bool ended = false;
    int32_t result = 0;
    RunEnd end = RunEnd::ScriptExhausted;
    int32_t actions = 0;
    std::string error;
};

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

struct State {
    State() { AddMainWindow(); }

    void AddMainWindow() {
        auto w = std::make_unique<Widget>();
        w->id = kMainWindowId;
        w->kind = Kind::MainWindow;
        w->props = Defaults(Kind::MainWindow);
        widgets[kMainWindowId] = std::move(w);
    }

    std::map<int32_t, std::unique_ptr<Widget>> widgets;
    int32_t nextId = kMainWindowId + 1;
    std::deque<Action> script;
    std::vector<Frame> modal;  // running modal loops, innermost last
    std::vector<ModalRun> runs;
    std::string scriptError;
    std::vector<std::string> violations;
    bool logging = false;
    std::vector<WidgetCall> log;
    ModalObserver observer;
};

State &S() {
    static State state;
    return state;
}

Widget *Find(int32_t id) {
    auto it = S().widgets.find(id);
    return it != S().widgets.end() ? it->second.get() : nullptr;
}

bool IsAncestor(int32_t ancestor, int32_t id) {
    for (Widget *w = Find(id); w != nullptr; w = Find(w->parent))
        if (w->id == ancestor) return true;
    return false;
}

void Detach(Widget &w) {
    if (Widget *p = Find(w.parent)) std::erase(p->children, w.id);
    w.parent = 0;
}

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
    S().widgets.erase(id);
}

// ---------------------------------------------------------------------------
// Spin boxes
// ---------------------------------------------------------------------------

double RoundTo(double v, int32_t digits) {
    const double scale = std::pow(10.0, digits);
    const double r = std::round(v * scale) / scale;
    return std::isfinite(r) ? r : v;
}

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

// ---------------------------------------------------------------------------
// Requests
// ---------------------------------------------------------------------------

struct Pair {
    std::string keyword;
    void *value = nullptr;
};

class Request {
public:
    Request(int32_t id, int32_t code) : id_(id), code_(code) {}

    // Reads the list; false (with an error) when it is unterminated or holds
    // a keyword that is not ASCII text.
    bool Parse(void **values, std::string &error) {
        if (values == nullptr) return true;
        for (size_t i = 0;; ++i) {
            if (i == kMaxPairs) {
                error = "keyword list not terminated within " + std::to_string(kMaxPairs) + " pairs";
                return false;
            }
            void *k = values[2 * i];
            if (k == nullptr) return true;
            Pair p;
            if (!ReadAscii(k, p.keyword)) {
                error = "keyword " + std::to_string(i) + " is not ASCII text";
                return false;
            }
            p.value = values[2 * i + 1];
            pairs_.push_back(std::move(p));
        }
    }

    const std::vector<Pair> &Pairs() const { return pairs_; }

    // The first pair's value for `keyword`; `present` tells a missing pair
    // from a null value.
    void *Get(const char *keyword, bool *present = nullptr) const {
        for (const Pair &p : pairs_)
            if (p.keyword == keyword) {
                if (present) *present = true;
                return p.value;
            }
        if (present) *present = false;
        return nullptr;
    }

    // Empty when every keyword is one of `allowed`, else an error.
    std::string OnlyKeywords(std::initializer_list<const char *> allowed) const {
        for (const Pair &p : pairs_)
            if (std::none_of(allowed.begin(), allowed.end(), [&](const char *a) { return p.keyword == a; }))
                return "unknown keyword \"" + p.keyword + "\"";
        return {};
    }

    int32_t id_;
    int32_t code_;

private:
    std::vector<Pair> pairs_;
};

std::string Describe(const Request &r) {
    return "MQWidget_Value(id " + std::to_string(r.id_) + ", code " + Hex(r.code_) + "): ";
}

// Reads an int the caller passed by pointer.
int32_t ReadInt(void *p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void WriteInt(void *p, int32_t v) { std::memcpy(p, &v, sizeof v); }

std::string NeedWidget(const Request &r, Widget *&w) {
    w = Find(r.id_);
    return w == nullptr ? "no widget with ID " + std::to_string(r.id_) : std::string();
}

std::string NeedIntOut(const Request &r, const char *keyword, void *&out, bool required) {
    bool present = false;
    out = r.Get(keyword, &present);
    if (!present) return required ? "missing \"" + std::string(keyword) + "\"" : std::string();
    return out == nullptr ? "\"" + std::string(keyword) + "\" has a null pointer" : std::string();
}

int32_t RunModal(int32_t dialog);

std::string WindowCommand(const Request &r) {
    Widget *w = nullptr;
    if (auto e = NeedWidget(r, w); !e.empty()) return e;
    if (w->kind != Kind::Dialog) return std::string("window command on a ") + KindName(w->kind);
    std::string type;
    if (!ReadAscii(r.Get("type"), type)) return "missing or unreadable \"type\"";
    if (type == "modal") {
        if (auto e = r.OnlyKeywords({"type", "result"}); !e.empty()) return e;
        void *result = nullptr;
        if (auto e = NeedIntOut(r, "result", result, false); !e.empty()) return e;
        for (const Frame &f : S().modal)
            if (f.dialog == r.id_) return "dialog is already running modally";
        const int32_t id = r.id_;
        const int32_t res = RunModal(id);
        if (result != nullptr) WriteInt(result, res);
        return {};
    }
    if (type == "close") {
        if (auto e = r.OnlyKeywords({"type", "code"}); !e.empty()) return e;
        std::string code;
        if (!ReadAscii(r.Get("code"), code)) return "missing or unreadable \"code\"";
        if (code != "ok" && code != "cancel") return "unknown close code \"" + code + "\"";
        // The innermost run of this dialog ends once the current action is
        // done; a dialog that is not running has nothing to end.
        for (auto it = S().modal.rbegin(); it != S().modal.rend(); ++it) {
            if (it->dialog != r.id_ || it->ended) continue;
            it->ended = true;
            it->result = code == "ok" ? kResultClosedOk : kResultCancelled;
            it->end = RunEnd::Closed;
            break;
        }
        return {};
    }
    return "unknown window command \"" + type + "\"";
}

std::string GetSystem(const Request &r) {
    if (auto e = r.OnlyKeywords({"system", "result"}); !e.empty()) return e;
    std::string name;
    if (!ReadAscii(r.Get("system"), name)) return "missing or unreadable \"system\"";
    if (name != "main_window") return "unknown system widget \"" + name + "\"";
    void *result = nullptr;
    if (auto e = NeedIntOut(r, "result", result, true); !e.empty()) return e;
    WriteInt(result, kMainWindowId);
    return {};
}

std::optional<Kind> CreatableKind(const std::string &s) {
    for (Kind k : {Kind::Dialog, Kind::Frame, Kind::GroupBox, Kind::Label, Kind::Button, Kind::CheckBox,
                   Kind::SpinBox, Kind::DoubleSpinBox})
        if (s == KindName(k)) return k;
    return std::nullopt;
}

std::string Create(const Request &r) {
    void *idOut = nullptr;
    bool present = false;
    idOut = r.Get("id", &present);
    auto refuse = [&](std::string e) {
        if (idOut != nullptr) WriteInt(idOut, 0); // a refused creation yields ID 0
        return e;
    };
    if (auto e = r.OnlyKeywords({"type", "id"}); !e.empty()) return refuse(e);
    if (!present) return "missing \"id\"";
    if (idOut == nullptr) return "\"id\" has a null pointer";
    std::string type;
    if (!ReadAscii(r.Get("type"), type)) return refuse("missing or unreadable \"type\"");
    const std::optional<Kind> kind = CreatableKind(type);
    if (!kind) return refuse("unknown widget kind \"" + type + "\"");
    auto w = std::make_unique<Widget>();
    w->id = S().nextId++;
    w->kind = *kind;
    w->props = Defaults(*kind);
    WriteInt(idOut, w->id);
    S().widgets[w->id] = std::move(w);
    return {};
}

std::string Delete(const Request &r) {
    Widget *w = nullptr;
    if (auto e = NeedWidget(r, w); !e.empty()) return e;
    if (auto e = r.OnlyKeywords({}); !e.empty()) return e;
    if (w->kind == Kind::MainWindow) return "the main window cannot be destroyed";
    Destroy(r.id_);
    return {};
}

// 0x201 (dialog = false) and 0x203 (dialog = true).
std::string AddChild(const Request &r, bool dialog) {
    Widget *parent = nullptr;
    if (auto e = NeedWidget(r, parent); !e.empty()) return e;
    if (auto e = r.OnlyKeywords({"child", "result"}); !e.empty()) return e;
    void *childIn = nullptr, *result = nullptr;
    if (auto e = NeedIntOut(r, "child", childIn, true); !e.empty()) return e;
    if (auto e = NeedIntOut(r, "result", result, false); !e.empty()) return e;
    const int32_t childId = ReadInt(childIn);
    Widget *child = Find(childId);
    if (child == nullptr) return "no child widget with ID " + std::to_string(childId);
    if (dialog) {
        if (parent->kind != Kind::MainWindow && parent->kind != Kind::Dialog)
            return std::string("a dialog cannot be attached to a ") + KindName(parent->kind);
        if (child->kind != Kind::Dialog)
            return std::string("code 0x203 attaches dialogs, not a ") + KindName(child->kind);
    } else {
        if (parent->kind != Kind::Dialog && (Bit(parent->kind) & kFrames) == 0)
            return std::string("a ") + KindName(parent->kind) + " holds no child widgets";
        if ((Bit(child->kind) & kControls) == 0)
            return std::string("a ") + KindName(child->kind) + " cannot be a child widget";
    }
    if (IsAncestor(childId, parent->id)) return "adding the widget would make a cycle";
    Attach(*parent, *child);
    if (result != nullptr) WriteInt(result, 1);
    return {};
}

std::string GetProperties(const Request &r) {
    Widget *w = nullptr;
    if (auto e = NeedWidget(r, w); !e.empty()) return e;
    if (r.Pairs().empty()) return "no property";
    for (const Pair &p : r.Pairs()) {
        bool known = false;
        const PropertySpec *spec = FindProperty(p.keyword, w->kind, known);
        if (!known) return "unknown property \"" + p.keyword + "\"";
        if (spec == nullptr) return "property \"" + p.keyword + "\" does not apply to a " + KindName(w->kind);
        if (!spec->gettable) return "property \"" + p.keyword + "\" cannot be read";
        if (p.value == nullptr) return "\"" + p.keyword + "\" has a null pointer";
    }
    for (const Pair &p : r.Pairs()) {
        const Value &v = w->props[p.keyword];
        if (auto *b = std::get_if<bool>(&v)) {
            const uint8_t byte = *b ? 1 : 0;
            std::memcpy(p.value, &byte, 1);
        } else if (auto *i = std::get_if<int32_t>(&v)) {
            WriteInt(p.value, *i);
        } else if (auto *d = std::get_if<double>(&v)) {
            std::memcpy(p.value, d, sizeof *d);
        }
    }
    return {};
}

// Reads one set value in the property's form and checks it.
std::string DecodeSet(const PropertySpec &spec, const Pair &p, Value &out) {
    const std::string name = "\"" + p.keyword + "\"";
    if (p.value == nullptr) return name + " has a null pointer";
    switch (spec.form) {
    case Form::WideText: {
        std::string s;
        if (!ReadWide(p.value, s)) return name + " is not well-formed UTF-16 text";
        out = std::move(s);
        return {};
    }
    case Form::Keyword: {
        std::string s;
        if (!ReadAscii(p.value, s) || !KeywordAllowed(p.keyword, s)) return name + " has no valid keyword value";
        out = std::move(s);
        return {};
    }
    case Form::Bool: {
        uint8_t b;
        std::memcpy(&b, p.value, 1);
        if (b > 1) return name + " is a bool byte holding " + std::to_string(b);
        out = b == 1;
        return {};
    }
    case Form::Int: {
        const int32_t v = ReadInt(p.value);
        const bool count = p.keyword == "matrixcolumn" || p.keyword == "visiblecolumn" || p.keyword == "increment";
        if (count && v < 0) return name + " cannot be negative";
        if (p.keyword == "decimaldigit" && (v < 0 || v > kMaxDecimalDigits))
            return name + " must lie in 0.." + std::to_string(kMaxDecimalDigits);
        out = v;
        return {};
    }
    case Form::Double: {
        double v;
        std::memcpy(&v, p.value, sizeof v);
        if (!std::isfinite(v)) return name + " is not a finite number";
        const bool nonNegative = p.keyword == "increment" || p.keyword.starts_with("hintsizerate");
        if (nonNegative && v < 0) return name + " cannot be negative";
        out = v;
        return {};
    }
    }
    return name + " has an unknown form";
}

std::string SetProperties(const Request &r) {
    Widget *w = nullptr;
    if (auto e = NeedWidget(r, w); !e.empty()) return e;
    if (r.Pairs().empty()) return "no property";
    std::vector<std::pair<std::string, Value>> values;
    for (const Pair &p : r.Pairs()) {
        if (std::any_of(values.begin(), values.end(), [&](const auto &v) { return v.first == p.keyword; }))
            continue; // first match wins
        bool known = false;
        const PropertySpec *spec = FindProperty(p.keyword, w->kind, known);
        if (!known) return "unknown property \"" + p.keyword + "\"";
        if (spec == nullptr) return "property \"" + p.keyword + "\" does not apply to a " + KindName(w->kind);
        Value v;
        if (auto e = DecodeSet(*spec, p, v); !e.empty()) return e;
        values.emplace_back(p.keyword, std::move(v));
    }
    for (const auto &[keyword, v] : values) ApplySet(*w, keyword, v);
    return {};
}

std::string AddEvent(const Request &r) {
    Widget *w = nullptr;
    if (auto e = NeedWidget(r, w); !e.empty()) return e;
    if (auto e = r.OnlyKeywords({"type", "proc", "pointer", "prior"}); !e.empty()) return e;
    Handler h;
    if (!ReadAscii(r.Get("type"), h.type)) return "missing or unreadable \"type\"";
    if (!IsEventName(h.type)) return "unknown event \"" + h.type + "\"";
    bool present = false;
    void *proc = r.Get("proc", &present);
    if (proc == nullptr) return "missing or null \"proc\"";
    h.pointer = r.Get("pointer", &present);
    if (!present) return "missing \"pointer\"";
    void *prior = r.Get("prior", &present);
    if (present) {
        if (prior == nullptr) return "\"prior\" has a null pointer";
        uint8_t b;
        std::memcpy(&b, prior, 1);
        if (b > 1) return "\"prior\" is a bool byte holding " + std::to_string(b);
        h.prior = b == 1;
    }
    h.proc = reinterpret_cast<MQWidgetEventProc>(proc);
    // Prior handlers run before the others, each group in registration order.
    auto at = h.prior ? std::find_if(w->handlers.begin(), w->handlers.end(), [](const Handler &x) { return !x.prior; })
                      : w->handlers.end();
    w->handlers.insert(at, std::move(h));
    return {};
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------

int Deliver(int32_t target, int32_t sender, const std::string &type, EventArgs &args, void *context) {
    Widget *w = Find(target);
    if (w == nullptr) return 0;
    std::vector<Handler> handlers;
    for (const Handler &h : w->handlers)
        if (h.type == type) handlers.push_back(h);
    if (handlers.empty()) return 0;

    int32_t targetId = target, senderId = sender == 0 ? target : sender;
    float pressure = args.pressure.value_or(0.0f);
    auto word = [](const void *p) { return const_cast<void *>(p); };
    std::vector<void *> list = {word("type"), word(type.c_str()), word("target_id"), &targetId,
                                word("sender_id"), &senderId};
    for (auto &[keyword, value] : args.ints) {
        list.push_back(word(keyword.c_str()));
        list.push_back(&value);
    }
    if (args.pressure) {
        list.push_back(word("pressure"));
        list.push_back(&pressure);
    }
    if (args.hasCanvas) {
        list.push_back(word("canvas"));
        list.push_back(args.canvas);
    }
    if (args.hasFinished) {
        list.push_back(word("finished"));
        list.push_back(&args.finished);
    }
    list.push_back(nullptr);
    list.push_back(nullptr);

    int result = 0;
    for (const Handler &h : handlers) {
        if (Find(target) == nullptr) break; // a handler destroyed the widget
        result = h.proc(context, list.data(), h.pointer);
        if (args.hasFinished && args.finished != 0) break;
    }
    return result;
}

// ---------------------------------------------------------------------------
// The scripted user
// ---------------------------------------------------------------------------

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

bool InGroup(const Widget &w, const std::string &group) {
    if (group.empty()) return true;
    for (Widget *p = Find(w.parent); p != nullptr; p = Find(p->parent))
        if (p->kind == Kind::GroupBox && TextOf(*p) == group) return true;
    return false;
}

// Widgets below `root` (or anywhere for 0) with the text, of the kinds.
std::vector<int32_t> WithText(int32_t root, const std::string &text, const std::string &group, uint32_t kinds) {
    std::vector<int32_t> ids, found;
    if (root != 0) {
        PreOrder(root, ids);
    } else {
        for (auto &[id, w] : S().widgets) ids.push_back(id);
    }
    for (int32_t id : ids) {
        Widget *w = Find(id);
        if ((Bit(w->kind) & kinds) != 0 && TextOf(*w) == text && InGroup(*w, group)) found.push_back(id);
    }
    return found;
}

Frame &Current(size_t frame) { return S().modal[frame]; }

void EndRun(size_t frame, int32_t result, RunEnd end) {
    Frame &f = Current(frame);
    if (f.ended) return;
    f.ended = true;
    f.result = result;
    f.end = end;
}

std::string Describe(const Action &a) {
    if (a.id != 0) return "#" + std::to_string(a.id);
    std::string s = a.group.empty() ? "" : a.group + "::";
    return "\"" + s + a.label + "\"";
}

// Finds the one widget of the kinds that the action names, within the dialog.
std::string Locate(const Action &a, int32_t dialog, uint32_t kinds, int32_t &id) {
    if (a.id != 0) {
        Widget *w = Find(a.id);
        if (w == nullptr || (Bit(w->kind) & kinds) == 0 || !IsAncestor(dialog, a.id))
            return "no usable widget " + Describe(a) + " in dialog #" + std::to_string(dialog);
        id = a.id;
        return {};
    }
    std::vector<int32_t> found = WithText(dialog, a.label, a.group, kinds);
    if (found.size() != 1)
        return (found.empty() ? "no widget " : "more than one widget ") + Describe(a) + " in dialog #" +
               std::to_string(dialog);
    id = found.front();
    return {};
}

// Clicks a button or check box. A check box flips "checked" first; a button
// with a "modalresult" ends the run with it once its handlers are done.
void Click(int32_t id, size_t frame) {
    Widget *w = Find(id);
    if (w->kind == Kind::CheckBox) w->props["checked"] = !std::get<bool>(w->props["checked"]);
    EventArgs none;
    Deliver(id, id, "execute", none, nullptr);
    if (Widget *after = Find(id); after != nullptr && after->kind == Kind::Button) {
        const int32_t result = std::get<int32_t>(after->props["modalresult"]);
        if (result != 0) EndRun(frame, result, RunEnd::ModalResult);
    }
}

std::string SetSpin(const Action &a, int32_t dialog, size_t frame) {
    (void)frame;
    int32_t id = 0;
    const uint32_t spins = kSpin | kDSpin;
    if (a.id == 0 && a.label.empty()) {
        std::vector<int32_t> all;
        PreOrder(dialog, all);
        std::erase_if(all, [&](int32_t i) { return (Bit(Find(i)->kind) & spins) == 0; });
        if (a.index < 0 || static_cast<size_t>(a.index) >= all.size())
            return "no spin box number " + std::to_string(a.index) + " in dialog #" + std::to_string(dialog);
        id = all[static_cast<size_t>(a.index)];
    } else if (a.id != 0) {
        if (auto e = Locate(a, dialog, spins, id); !e.empty()) return e;
    } else {
        int32_t label = 0;
        if (auto e = Locate(a, dialog, Bit(Kind::Label), label); !e.empty()) return e;
        Widget *parent = Find(Find(label)->parent);
        if (parent != nullptr) {
            auto it = std::find(parent->children.begin(), parent->children.end(), label);
            auto spin = std::find_if(it, parent->children.end(),
                                     [&](int32_t c) { return (Bit(Find(c)->kind) & spins) != 0; });
            if (spin != parent->children.end()) id = *spin;
        }
        if (id == 0) return "no spin box after the label " + Describe(a);
    }
    if (!std::isfinite(a.value)) return "spin box value is not a finite number";
    Widget &w = *Find(id);
    if (w.kind == Kind::SpinBox) {
        const double v = std::clamp(std::round(a.value), -2147483648.0, 2147483647.0);
        SetSpinValue(w, "position", static_cast<int32_t>(v));
    } else {
        SetSpinValue(w, "position", a.value);
    }
    EventArgs none;
    Deliver(id, id, "changed", none, nullptr);
    return {};
}

void PressKey(const Action &a, int32_t dialog) {
    EventArgs args;
    const int32_t state = (a.modifiers.shift ? 0x04 : 0) | (a.modifiers.ctrl ? 0x08 : 0) | (a.modifiers.alt ? 0x20 : 0);
    args.ints = {{"key", a.key}, {"auto_repeat", 0}, {"button_state", state}};
    args.hasFinished = true;
    Deliver(dialog, dialog, "keydown", args, nullptr);
}

void CancelRun(int32_t dialog, size_t frame) {
    std::vector<int32_t> all;
    PreOrder(dialog, all);
    for (int32_t id : all) {
        Widget *w = Find(id);
        if (w->kind == Kind::Button && std::get<bool>(w->props["cancel"])) {
            Click(id, frame);
            EndRun(frame, kResultCancelled, RunEnd::Cancelled); // when the button set no result
            return;
        }
    }
    EndRun(frame, kResultCancelled, RunEnd::Cancelled);
}

std::string Perform(const Action &a, int32_t dialog, size_t frame) {
    switch (a.type) {
    case Action::Type::Click: {
        int32_t id = 0;
        if (auto e = Locate(a, dialog, Bit(Kind::Button) | Bit(Kind::CheckBox), id); !e.empty()) return e;
        Click(id, frame);
        return {};
    }
    case Action::Type::SetValue: return SetSpin(a, dialog, frame);
    case Action::Type::Key: PressKey(a, dialog); return {};
    case Action::Type::Cancel: CancelRun(dialog, frame); return {};
    }
    return "unknown action";
}

int32_t RunModal(int32_t dialog) {
    State &s = S();
    const size_t frame = s.modal.size();
    Frame started;
    started.dialog = dialog;
    s.modal.push_back(std::move(started));
    if (s.observer) {
        // A copy: the observer may replace itself.
        const ModalObserver observe = s.observer;
        observe(dialog);
    }
    while (!Current(frame).ended) {
        if (Find(dialog) == nullptr) {
            EndRun(frame, kResultNone, RunEnd::Destroyed);
            break;
        }
        if (s.script.empty()) {
            EndRun(frame, kResultNone, RunEnd::ScriptExhausted);
            break;
        }
        const Action a = s.script.front();
        s.script.pop_front();
        ++Current(frame).actions;
        if (std::string e = Perform(a, dialog, frame); !e.empty()) {
            if (s.scriptError.empty()) s.scriptError = e;
            if (!Current(frame).ended) Current(frame).error = e;
            EndRun(frame, kResultNone, RunEnd::ScriptError);
        }
    }
    const Frame f = Current(frame);
    s.modal.erase(s.modal.begin() + static_cast<std::ptrdiff_t>(frame));
    s.runs.push_back({f.dialog, f.result, f.end, f.actions, f.error});
    return f.result;
}

std::string Dispatch(const Request &r) {
    switch (r.code_) {
    case MQ_WIDGET_WINDOW_COMMAND: return WindowCommand(r);
    case MQ_WIDGET_GET_SYSTEM: return GetSystem(r);
    case MQ_WIDGET_CREATE: return Create(r);
    case MQ_WIDGET_DELETE: return Delete(r);
    case MQ_WIDGET_ADD_CHILD: return AddChild(r, false);
    case MQ_WIDGET_ADD_DIALOG: return AddChild(r, true);
    case MQ_WIDGET_GET_PROPERTY: return GetProperties(r);
    case MQ_WIDGET_SET_PROPERTY: return SetProperties(r);
    case MQ_WIDGET_ADD_EVENT: return AddEvent(r);
    default: return "unknown operation code";
    }
}

void DumpWidget(const Widget &w, int depth, bool detached, std::string &out) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += KindName(w.kind);
    out += " #" + std::to_string(w.id);
    if (detached) out += " (detached)";
    for (const auto &[keyword, v] : w.props) {
        out += " " + keyword + "=";
        if (auto *b = std::get_if<bool>(&v)) out += *b ? "true" : "false";
        else if (auto *i = std::get_if<int32_t>(&v)) out += std::to_string(*i);
        else if (auto *d = std::get_if<double>(&v)) out += FormatDouble(*d);
        else out += Quote(std::get<std::string>(v));
    }
    if (!w.handlers.empty()) {
        out += " on=";
        for (size_t i = 0; i < w.handlers.size(); ++i) out += (i ? "," : "") + w.handlers[i].type;
    }
    out += "\n";
    for (int32_t c : w.children)
        if (Widget *cw = Find(c)) DumpWidget(*cw, depth + 1, false, out);
}

} // namespace

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

Action Action::Click(std::string label, std::string group) {
    Action a;
    a.type = Type::Click;
    a.label = std::move(label);
    a.group = std::move(group);
    return a;
}

Action Action::ClickId(int32_t id) {
    Action a;
    a.type = Type::Click;
    a.id = id;
    return a;
}

Action Action::SetSpin(int32_t id, double value) {
    Action a;
    a.type = Type::SetValue;
    a.id = id;
    a.value = value;
    return a;
}

Action Action::SetSpinAfterLabel(std::string label, double value, std::string group) {
    Action a;
    a.type = Type::SetValue;
    a.label = std::move(label);
    a.group = std::move(group);
    a.value = value;
    return a;
}

Action Action::SetSpinAt(int32_t index, double value) {
    Action a;
    a.type = Type::SetValue;
    a.index = index;
    a.value = value;
    return a;
}

Action Action::Key(int32_t key, Modifiers modifiers) {
    Action a;
    a.type = Type::Key;
    a.key = key;
    a.modifiers = modifiers;
    return a;
}

Action Action::Cancel() { return Action{}; }

void SetScript(std::vector<Action> actions) { S().script.assign(actions.begin(), actions.end()); }

void AppendScript(std::vector<Action> actions) { S().script.insert(S().script.end(), actions.begin(), actions.end()); }

size_t PendingActions() { return S().script.size(); }

std::vector<ModalRun> ModalRuns() { return S().runs; }

void SetModalObserver(ModalObserver observer) { S().observer = std::move(observer); }

std::string ScriptError() { return S().scriptError; }

std::string FirstViolation() { return S().violations.empty() ? std::string() : S().violations.front(); }

std::vector<std::string> Violations() { return S().violations; }

void StartWidgetLog() {
    S().log.clear();
    S().logging = true;
}

std::vector<WidgetCall> StopWidgetLog() {
    S().logging = false;
    return std::exchange(S().log, {});
}

bool Exists(int32_t id) { return Find(id) != nullptr; }

std::optional<Kind> KindOf(int32_t id) {
    Widget *w = Find(id);
    return w ? std::optional<Kind>(w->kind) : std::nullopt;
}

int32_t ParentOf(int32_t id) {
    Widget *w = Find(id);
    return w ? w->parent : 0;
}

std::vector<int32_t> ChildrenOf(int32_t id) {
    Widget *w = Find(id);
    return w ? w->children : std::vector<int32_t>{};
}

std::optional<Value> Property(int32_t id, const std::string &keyword) {
    Widget *w = Find(id);
    if (w == nullptr) return std::nullopt;
    auto it = w->props.find(keyword);
    return it != w->props.end() ? std::optional<Value>(it->second) : std::nullopt;
}

std::string Text(int32_t id) {
    Widget *w = Find(id);
    return w ? TextOf(*w) : std::string();
}

std::vector<std::string> HandlerTypes(int32_t id) {
    std::vector<std::string> out;
    if (Widget *w = Find(id))
        for (const Handler &h : w->handlers) out.push_back(h.type);
    return out;
}

std::vector<RegisteredHandler> RegisteredHandlers(int32_t id) {
    std::vector<RegisteredHandler> out;
    if (Widget *w = Find(id))
        for (const Handler &h : w->handlers) out.push_back({h.type, h.proc, h.pointer});
    return out;
}

int32_t WidgetCount() { return static_cast<int32_t>(S().widgets.size()); }

int32_t FindByText(const std::string &text, const std::string &group, int32_t root) {
    const uint32_t all = ~0u;
    std::vector<int32_t> found = WithText(root, text, group, all);
    return found.size() == 1 ? found.front() : 0;
}

std::string Dump() {
    std::string out;
    DumpWidget(*Find(kMainWindowId), 0, false, out);
    for (auto &[id, w] : S().widgets)
        if (w->parent == 0 && id != kMainWindowId) DumpWidget(*w, 0, true, out);
    return out;
}

int SendEvent(int32_t target, const std::string &type, EventArgs &args, int32_t sender, void *context) {
    return Deliver(target, sender, type, args, context);
}

void Reset() {
    State &s = S();
    s.widgets.clear();
    s.AddMainWindow();
    s.script.clear();
    s.runs.clear();
    s.scriptError.clear();
    s.violations.clear();
    s.log.clear();
    s.logging = false;
    s.observer = nullptr;
}

namespace {

std::string Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

bool ParseInt(std::string_view s, int32_t &out) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

bool ParseDouble(std::string_view s, double &out) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty() && std::isfinite(out);
}

// "<group>::<label>" or "<label>".
void SplitGroup(const std::string &s, std::string &group, std::string &label) {
    const size_t at = s.find("::");
    if (at == std::string::npos) {
        group.clear();
        label = s;
    } else {
        group = s.substr(0, at);
        label = s.substr(at + 2);
    }
}

} // namespace

std::optional<Action> ParseAction(std::string_view text, std::string *error) {
    auto fail = [&](std::string e) -> std::optional<Action> {
        if (error) *error = std::move(e) + ": \"" + std::string(text) + "\"";
        return std::nullopt;
    };
    const std::string t = Trim(text);
    const size_t space = t.find(' ');
    const std::string verb = t.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : Trim(std::string_view(t).substr(space + 1));
    if (verb == "cancel") {
        if (!rest.empty()) return fail("cancel takes nothing");
        return Action::Cancel();
    }
    if (verb == "click") {
        if (rest.empty()) return fail("click needs a label or #id");
        if (rest[0] == '#') {
            int32_t id = 0;
            if (!ParseInt(std::string_view(rest).substr(1), id) || id == 0) return fail("bad widget ID");
            return Action::ClickId(id);
        }
        std::string group, label;
        SplitGroup(rest, group, label);
        if (label.empty()) return fail("empty label");
        return Action::Click(label, group);
    }
    if (verb == "set") {
        const size_t eq = rest.rfind('=');
        if (eq == std::string::npos || eq == 0) return fail("set needs <spin box>=<value>");
        const std::string what = Trim(std::string_view(rest).substr(0, eq));
        double value = 0;
        if (!ParseDouble(Trim(std::string_view(rest).substr(eq + 1)), value)) return fail("bad value");
        int32_t n = 0;
        if (what[0] == '#') {
            if (!ParseInt(std::string_view(what).substr(1), n) || n == 0) return fail("bad widget ID");
            return Action::SetSpin(n, value);
        }
        if (what[0] == '@') {
            if (!ParseInt(std::string_view(what).substr(1), n) || n < 0) return fail("bad spin box number");
            return Action::SetSpinAt(n, value);
        }
        std::string group, label;
        SplitGroup(what, group, label);
        if (label.empty()) return fail("empty label");
        return Action::SetSpinAfterLabel(label, value, group);
    }
    if (verb == "key") {
        Modifiers m;
        std::string_view k = rest;
        for (;;) {
            if (k.starts_with("shift+")) m.shift = true, k.remove_prefix(6);
            else if (k.starts_with("ctrl+")) m.ctrl = true, k.remove_prefix(5);
            else if (k.starts_with("alt+")) m.alt = true, k.remove_prefix(4);
            else break;
        }
        int32_t code = 0;
        if (k.size() == 1 && k[0] > 0x20 && k[0] < 0x7F) {
            code = (k[0] >= 'a' && k[0] <= 'z') ? k[0] - 'a' + 'A' : k[0];
        } else if (k.size() > 1 && k[0] == '#') {
            if (!ParseInt(k.substr(1), code) || code <= 0) return fail("bad key code");
        } else {
            return fail("key needs one character or #<code>");
        }
        return Action::Key(code, m);
    }
    return fail("unknown action");
}

} // namespace standin::toolkit

extern "C" int MQ_CALL MQWidget_Value(int id, int code, void **values) {
    using namespace standin::toolkit;
    State &s = S();
    Request request(id, code);
    std::string error;
    const bool parsed = request.Parse(values, error);
    size_t logIndex = 0;
    if (s.logging) {
        WidgetCall call{id, code, {}, false};
        for (const Pair &p : request.Pairs()) call.keywords.push_back(p.keyword);
        logIndex = s.log.size();
        s.log.push_back(std::move(call));
    }
    if (parsed) error = Dispatch(request);
    if (!error.empty()) {
        s.violations.push_back(Describe(request) + error);
        return 0;
    }
    // The log may have been restarted by a handler during a modal run.
    if (s.logging && logIndex < s.log.size() && s.log[logIndex].id == id && s.log[logIndex].code == code)
        s.log[logIndex].accepted = true;
    return 1;
}
