// What the toolkit's own files share, and nothing outside standin/toolkit/
// includes: the widget and modal-run records, the one toolkit state, the
// tree operations, the spin-box rules and the two calls that cross between
// the request protocol and the scripted user (delivering an event, running
// a dialog modally).
//
// Which file does what:
//   tree.cpp      the state, the widget tree, the kinds' default properties
//                 and the spin-box rules;
//   protocol.cpp  MQWidget_Value: request decoding, property specs, answers,
//                 the refusals (into the host's misbehaviour log) and
//                 the call log;
//   script.cpp    event delivery, the scripted user and the modal loop;
//   inspect.cpp   looking at the tree (queries, Dump) and parsing actions.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "standin/toolkit/toolkit.h"

namespace standin::toolkit::internal {

// ---------------------------------------------------------------------------
// Kinds as bit sets
// ---------------------------------------------------------------------------

constexpr uint32_t Bit(Kind k) { return 1u << static_cast<unsigned>(k); }

inline constexpr uint32_t kFrames = Bit(Kind::Frame) | Bit(Kind::GroupBox);
inline constexpr uint32_t kControls = kFrames | Bit(Kind::Label) | Bit(Kind::Button) | Bit(Kind::CheckBox) |
                                      Bit(Kind::SpinBox) | Bit(Kind::DoubleSpinBox);
inline constexpr uint32_t kTexts =
    Bit(Kind::GroupBox) | Bit(Kind::Label) | Bit(Kind::Button) | Bit(Kind::CheckBox);
inline constexpr uint32_t kIntSpinBoxes = Bit(Kind::SpinBox);
inline constexpr uint32_t kDoubleSpinBoxes = Bit(Kind::DoubleSpinBox);

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

// One modal run in progress.
struct Frame {
    int32_t dialog = 0;
    bool ended = false;
    int32_t result = 0;
    RunEnd end = RunEnd::ScriptExhausted;
    int32_t actions = 0;
    std::string error;
};

struct State {
    State() { AddMainWindow(); }

    void AddMainWindow();

    std::map<int32_t, std::unique_ptr<Widget>> widgets;
    int32_t nextId = kMainWindowId + 1;
    std::deque<Action> script;
    std::vector<Frame> modal;  // running modal loops, innermost last
    std::vector<ModalRun> runs;
    std::string scriptError;
    bool logging = false;
    std::vector<WidgetCall> log;
    ModalObserver observer;
};

// The toolkit's one state, made on first use.
State &ToolkitState();

// ---------------------------------------------------------------------------
// The widget tree (tree.cpp)
// ---------------------------------------------------------------------------

// The properties a new widget of the kind starts with.
std::map<std::string, Value> Defaults(Kind kind);

// The live widget with the ID, or null.
Widget *Find(int32_t id);
// True when `ancestor` is `id` or one of its parents.
bool IsAncestor(int32_t ancestor, int32_t id);
// Moves `child` to the end of `parent`'s children.
void Attach(Widget &parent, Widget &child);
// Destroys one widget. Its children stay alive, detached.
void Destroy(int32_t id);

// `root` and every widget below it, in tree order.
void PreOrder(int32_t root, std::vector<int32_t> &out);
// "title" of a dialog or the main window, "text" of the others; empty if none.
std::string TextOf(const Widget &w);
// Widgets below `root` (or anywhere for 0) with the text, of the kinds.
std::vector<int32_t> WithText(int32_t root, const std::string &text, const std::string &group, uint32_t kinds);

// Applies a set of "position", "min", "max" or "decimaldigit" as a spin box
// does: the bounds stay ordered, a double spin box keeps its values on its
// decimal grid, and the position stays within the bounds.
void SetSpinValue(Widget &w, const std::string &keyword, const Value &v);
// Stores one checked property value, through the spin-box rules where they apply.
void ApplySet(Widget &w, const std::string &keyword, const Value &v);

// ---------------------------------------------------------------------------
// Events and modal runs (script.cpp)
// ---------------------------------------------------------------------------

// Delivers an event to the target's handlers of the type, in order,
// stopping once a handler sets "finished"; the last handler's result.
int Deliver(int32_t target, int32_t sender, const std::string &type, EventArgs &args, void *context);
// Runs the dialog modally with the scripted user; the modal result.
int32_t RunModal(int32_t dialog);

} // namespace standin::toolkit::internal
