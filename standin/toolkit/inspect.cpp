// Looking at the toolkit from tests and tools: the read-only queries on the
// widget tree (kind, parent, children, properties, handlers, finding a
// widget by text), the tree as text (Dump), and parsing an action from text.
//
// It reads the state through tree.cpp's operations and never changes it.
#include <charconv>
#include <cmath>
#include <optional>

#include "standin/toolkit/internal.h"
#include "standin/toolkit/toolkit.h"

namespace standin::toolkit {

using namespace internal;

namespace {

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

int32_t WidgetCount() { return static_cast<int32_t>(ToolkitState().widgets.size()); }

int32_t FindByText(const std::string &text, const std::string &group, int32_t root) {
    const uint32_t all = ~0u;
    std::vector<int32_t> found = WithText(root, text, group, all);
    return found.size() == 1 ? found.front() : 0;
}

std::string Dump() {
    std::string out;
    DumpWidget(*Find(kMainWindowId), 0, false, out);
    for (auto &[id, w] : ToolkitState().widgets)
        if (w->parent == 0 && id != kMainWindowId) DumpWidget(*w, 0, true, out);
    return out;
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
