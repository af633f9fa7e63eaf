// The scripted user: event delivery to the handlers a widget registered,
// the actions a test or tool queues (click, set a spin box, press a key,
// cancel), and the modal loop that performs them while a dialog runs.
//
// It finds widgets and changes spin boxes through tree.cpp's operations and
// records each modal run in the state; it never reads a request.
#include <algorithm>
#include <cmath>
#include <utility>

#include "abi/keyword_list.h"
#include "standin/toolkit/internal.h"
#include "standin/toolkit/toolkit.h"

namespace standin::toolkit {
namespace internal {

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
    using vexolin::keyword_list::Word;
    std::vector<void *> list = {Word("type"), Word(type.c_str()), Word("target_id"), &targetId,
                                Word("sender_id"), &senderId};
    for (auto &[keyword, value] : args.ints) {
        list.push_back(Word(keyword.c_str()));
        list.push_back(&value);
    }
    if (args.pressure) {
        list.push_back(Word("pressure"));
        list.push_back(&pressure);
    }
    if (args.hasCanvas) {
        list.push_back(Word("canvas"));
        list.push_back(args.canvas);
    }
    if (args.hasFinished) {
        list.push_back(Word("finished"));
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

namespace {

// ---------------------------------------------------------------------------
// The scripted user
// ---------------------------------------------------------------------------

Frame &Current(size_t frame) { return ToolkitState().modal[frame]; }

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

std::string SetSpin(const Action &a, int32_t dialog) {
    int32_t id = 0;
    const uint32_t spins = kIntSpinBoxes | kDoubleSpinBoxes;
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
    case Action::Type::SetValue: return SetSpin(a, dialog);
    case Action::Type::Key: PressKey(a, dialog); return {};
    case Action::Type::Cancel: CancelRun(dialog, frame); return {};
    }
    return "unknown action";
}

} // namespace

int32_t RunModal(int32_t dialog) {
    State &s = ToolkitState();
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

} // namespace internal

using namespace internal;

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

void SetScript(std::vector<Action> actions) { ToolkitState().script.assign(actions.begin(), actions.end()); }

void AppendScript(std::vector<Action> actions) { ToolkitState().script.insert(ToolkitState().script.end(), actions.begin(), actions.end()); }

size_t PendingActions() { return ToolkitState().script.size(); }

std::vector<ModalRun> ModalRuns() { return ToolkitState().runs; }

void SetModalObserver(ModalObserver observer) { ToolkitState().observer = std::move(observer); }

std::string ScriptError() { return ToolkitState().scriptError; }

int SendEvent(int32_t target, const std::string &type, EventArgs &args, int32_t sender, void *context) {
    return Deliver(target, sender, type, args, context);
}

} // namespace standin::toolkit
