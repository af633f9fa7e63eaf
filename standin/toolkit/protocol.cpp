// The request protocol behind MQWidget_Value: reading the plug-in's keyword
// lists (ASCII keywords, UTF-16 texts), the property specs that say which
// keyword applies to which kind and in what form, one handler per operation
// code, the violation record and the call log.
//
// Every request is checked before anything changes: the widget ID must name
// a live widget of a kind that supports the operation, every keyword must be
// known to the operation (and, for properties, to the widget's kind), every
// value pointer the toolkit reads or writes must be non-null, and every value
// that can be checked is (bytes of bools are 0 or 1, keyword values come from
// the property's set, doubles are finite, counts are not negative). A request
// that fails a check changes nothing, returns 0 and is recorded as a
// protocol violation.
//
// It changes the tree only through tree.cpp's operations, and hands modal
// runs to script.cpp.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

#include "abi/mq_host_declarations.h"
#include "abi/keyword_list.h"
#include "abi/utf_text.h"
#include "standin/core/host_checks.h"
#include "standin/toolkit/internal.h"
#include "standin/toolkit/toolkit.h"

namespace standin::toolkit {

using namespace internal;

namespace {

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

constexpr size_t kMaxWideText = 65536;  // longest wide text accepted, in code units

// Reads a NUL-terminated printable ASCII text as keywords are read
// (abi/keyword_list.h). False for null, non-ASCII or overlong text.
bool ReadAscii(const void *p, std::string &out) {
    std::string_view text;
    if (!vexolin::keyword_list::AsciiText(p, text)) return false;
    out.assign(text);
    return true;
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

// ---------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------

enum class Form { WideText, Keyword, Bool, Int, Double };


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
    {"position", Form::Int, kIntSpinBoxes, true},
    {"position", Form::Double, kDoubleSpinBoxes, true},
    {"min", Form::Int, kIntSpinBoxes, true},
    {"min", Form::Double, kDoubleSpinBoxes, true},
    {"max", Form::Int, kIntSpinBoxes, true},
    {"max", Form::Double, kDoubleSpinBoxes, true},
    {"increment", Form::Int, kIntSpinBoxes, true},
    {"increment", Form::Double, kDoubleSpinBoxes, true},
    {"decimaldigit", Form::Int, kDoubleSpinBoxes, true},
    {"visiblecolumn", Form::Int, kIntSpinBoxes | kDoubleSpinBoxes, true},
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
// Requests
// ---------------------------------------------------------------------------

struct Pair {
    std::string keyword;
    void *value = nullptr;
};

class Request {
public:
    Request(int32_t id, int32_t code) : id_(id), code_(code) {}

    // Reads the list (abi/keyword_list.h); false (with an error) when it is
    // unterminated or holds a keyword that is not ASCII text.
    bool Parse(void **values, std::string &error) {
        namespace kl = vexolin::keyword_list;
        const kl::WalkResult walked = kl::Walk(values, [&](std::string_view keyword, void *value) {
            pairs_.push_back({std::string(keyword), value});
            return true;
        });
        if (walked.how == kl::Walked::Unterminated)
            error = "keyword list not terminated within " + std::to_string(kl::kMaxPairs) + " pairs";
        else if (walked.how == kl::Walked::BadKeyword)
            error = "keyword " + std::to_string(walked.pairs) + " is not ASCII text";
        return error.empty();
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
        for (const Frame &f : ToolkitState().modal)
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
        for (auto it = ToolkitState().modal.rbegin(); it != ToolkitState().modal.rend(); ++it) {
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
    w->id = ToolkitState().nextId++;
    w->kind = *kind;
    w->props = Defaults(*kind);
    WriteInt(idOut, w->id);
    ToolkitState().widgets[w->id] = std::move(w);
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
    void *proc = r.Get("proc");
    if (proc == nullptr) return "missing or null \"proc\"";
    bool present = false;
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

} // namespace

std::string FirstViolation() {
    const std::vector<std::string> all = Violations();
    return all.empty() ? std::string() : all.front();
}

std::vector<std::string> Violations() {
    std::vector<std::string> refusals;
    for (const standin::Misbehaviour &m : standin::RecordedMisbehaviour())
        if (m.by == standin::Functions::Toolkit) refusals.push_back(m.what);
    return refusals;
}

void StartWidgetLog() {
    ToolkitState().log.clear();
    ToolkitState().logging = true;
}

std::vector<WidgetCall> StopWidgetLog() {
    ToolkitState().logging = false;
    return std::exchange(ToolkitState().log, {});
}

} // namespace standin::toolkit

extern "C" int MQ_CALL MQWidget_Value(int id, int code, void **values) {
    using namespace standin::toolkit;
    State &s = ToolkitState();
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
        standin::ReportMisbehaviour(standin::Functions::Toolkit, Describe(request) + error);
        return 0;
    }
    // The log may have been restarted by a handler during a modal run.
    if (s.logging && logIndex < s.log.size() && s.log[logIndex].id == id && s.log[logIndex].code == code)
        s.log[logIndex].accepted = true;
    return 1;
}
