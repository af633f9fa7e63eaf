// The stand-in host's headless widget toolkit: the widget tree behind
// MQWidget_Value, a scripted user that drives modal runs, and inspection for
// tests and tools.
//
// The plug-in reaches the toolkit only through MQWidget_Value. Tests and
// tools use this C++ interface to script the user, to look at the widget
// tree and to check that the plug-in kept to the protocol: every request
// that the toolkit refuses (unknown widget ID, unknown keyword, a value that
// is not of the property's form, ...) is recorded as a protocol violation.
//
// One thread, no locking: the toolkit runs on the host's user-interface
// thread, like the plug-in.
//
// The implementation is split by job (tree.cpp, protocol.cpp, script.cpp,
// inspect.cpp); internal.h says which file does what.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "abi/mq_abi.h"

namespace standin::toolkit {

// The main window exists from the start and is never destroyed.
inline constexpr int32_t kMainWindowId = 1;

// Where the toolkit places a dialog whose "pos_x"/"pos_y" nobody set.
inline constexpr int32_t kDefaultDialogX = 160;
inline constexpr int32_t kDefaultDialogY = 120;

// Modal results the toolkit produces by itself.
inline constexpr int32_t kResultClosedOk = 1;    // "close" with code "ok"
inline constexpr int32_t kResultCancelled = 2;   // the user cancelled (Escape)
inline constexpr int32_t kResultNone = 0;        // the script ran out or failed

enum class Kind { MainWindow, Dialog, Frame, GroupBox, Label, Button, CheckBox, SpinBox, DoubleSpinBox };

// The kind keyword of the protocol ("dialog", "button", ...); "main_window"
// for the main window.
const char *KindName(Kind kind);

// A property value as tests see it. Wide texts are converted to UTF-8 and,
// like keyword values, returned as std::string.
using Value = std::variant<bool, int32_t, double, std::string>;

// ---------------------------------------------------------------------------
// The scripted user
// ---------------------------------------------------------------------------

// Key modifiers of a key action, as bits of the event's "button_state".
struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// One thing the user does while a dialog runs modally. Actions act on the
// innermost running dialog. Labels are UTF-8 and compared exactly with the
// widget's "text", the mnemonic "&" included. Events that the scripted user
// causes carry a null context word, the widget as both target and sender.
struct Action {
    enum class Type {
        Click,     // a button or check box
        SetValue,  // a spin box, as if the user typed the value
        Key,       // a key pressed on the dialog: "keydown"
        Cancel,    // Escape: the dialog's cancel button, else result 2
    };
    Type type = Type::Cancel;

    // Click and SetValue: the widget. When `id` is nonzero it names the
    // widget; otherwise `label` does, searched within the running dialog,
    // and only inside the group box whose text is `group` when that is not
    // empty. The label must match exactly one widget.
    //   Click:    a button or check box whose text is `label`.
    //   SetValue: the first spin box that follows the label widget whose
    //             text is `label` among that label's siblings, or, with an
    //             empty label and `index` >= 0, the index-th spin box of the
    //             dialog in tree order (0-based).
    int32_t id = 0;
    std::string label;
    std::string group;
    int32_t index = -1;

    double value = 0.0;        // SetValue
    int32_t key = 0;           // Key: key code (ASCII for digits and upper-case letters)
    Modifiers modifiers;       // Key

    static Action Click(std::string label, std::string group = {});
    static Action ClickId(int32_t id);
    static Action SetSpin(int32_t id, double value);
    static Action SetSpinAfterLabel(std::string label, double value, std::string group = {});
    static Action SetSpinAt(int32_t index, double value);
    static Action Key(int32_t key, Modifiers modifiers = {});
    static Action Cancel();
};

// Parses one action from text, for tools:
//   click <label>              click <group>::<label>       click #<id>
//   set <label>=<value>        set <group>::<label>=<value>
//   set #<id>=<value>          set @<index>=<value>
//   key [shift+][ctrl+][alt+]<key>   (<key>: one character, upper-cased, or
//                                     #<decimal key code>)
//   cancel
// Returns nothing and sets `error` when the text is not an action.
std::optional<Action> ParseAction(std::string_view text, std::string *error = nullptr);

// Replaces the pending actions.
void SetScript(std::vector<Action> actions);
// Appends actions to the pending ones.
void AppendScript(std::vector<Action> actions);
// Number of actions not yet performed.
size_t PendingActions();

// How a modal run ended.
enum class RunEnd {
    ModalResult,     // a clicked button's "modalresult"
    Closed,          // the "close" window command
    Cancelled,       // a cancel action without a cancel button
    ScriptExhausted, // no action left: result 0
    ScriptError,     // an action named no usable widget: result 0
    Destroyed,       // the dialog was destroyed during its run: result 0
};

struct ModalRun {
    int32_t dialog = 0;
    int32_t result = 0;
    RunEnd end = RunEnd::ScriptExhausted;
    int32_t actions = 0; // actions performed during this run
    std::string error;   // the script error that ended this run (RunEnd::ScriptError)
};

// Called when a modal run starts, before the first scripted action, with
// the dialog's ID: the dialog is fully built and can be inspected (Dump,
// ChildrenOf, Property, ...). Null turns it off; Reset turns it off too.
using ModalObserver = std::function<void(int32_t dialog)>;
void SetModalObserver(ModalObserver observer);

// Every modal run so far, in the order in which they ended.
std::vector<ModalRun> ModalRuns();
// The first script error (an action that named no usable widget), or empty.
std::string ScriptError();

// ---------------------------------------------------------------------------
// Protocol checking
// ---------------------------------------------------------------------------

// The first request the toolkit refused, described, or empty when there was
// none. All of them, in order, from Violations().
std::string FirstViolation();
std::vector<std::string> Violations();

// One MQWidget_Value call, recorded while the call log is on.
struct WidgetCall {
    int32_t id = 0;
    int32_t code = 0;
    std::vector<std::string> keywords; // the list's keywords in order
    bool accepted = false;
};
void StartWidgetLog();
std::vector<WidgetCall> StopWidgetLog();

// ---------------------------------------------------------------------------
// Inspection
// ---------------------------------------------------------------------------

bool Exists(int32_t id);
std::optional<Kind> KindOf(int32_t id);
// Parent ID, 0 for none (the main window, or a widget never added).
int32_t ParentOf(int32_t id);
std::vector<int32_t> ChildrenOf(int32_t id);
// A property as stored, or nothing for an unknown widget or property.
std::optional<Value> Property(int32_t id, const std::string &keyword);
// "text" of a control or "title" of a dialog, UTF-8; empty if none.
std::string Text(int32_t id);
// Event names with a handler on the widget, in delivery order.
std::vector<std::string> HandlerTypes(int32_t id);
// The handlers on the widget as they were registered, in delivery order:
// for tests that call a handler's procedure with event lists of their own.
struct RegisteredHandler {
    std::string type;
    MQWidgetEventProc proc = nullptr;
    void *pointer = nullptr;
};
std::vector<RegisteredHandler> RegisteredHandlers(int32_t id);
// Number of live widgets, the main window included.
int32_t WidgetCount();
// The widget with the given text below `root` (0: anywhere), optionally
// inside the group box with the text `group`; 0 when there is none or more
// than one.
int32_t FindByText(const std::string &text, const std::string &group = {}, int32_t root = 0);

// The widget tree as text: one line per widget, indented two spaces per
// level, children in order: `<kind> #<id> <keyword>=<value> ...` with every
// property in keyword order (texts quoted), then ` on=<event>,...` when it
// has handlers. The main window comes first; widgets with no parent follow
// as further roots, in ID order, marked "(detached)".
std::string Dump();

// ---------------------------------------------------------------------------
// Events sent by a test
// ---------------------------------------------------------------------------

// The values of an event beyond "type", "target_id" and "sender_id". Each
// int is passed by pointer and updated with whatever the handlers wrote
// back; the "finished" byte likewise.
struct EventArgs {
    std::vector<std::pair<std::string, int32_t>> ints;
    std::optional<float> pressure;
    bool hasCanvas = false;
    void *canvas = nullptr;
    bool hasFinished = false;
    uint8_t finished = 0;
};

// Delivers an event to the handlers of `type` on `target`, in order,
// stopping once a handler sets "finished". `sender` 0 means the target.
// Returns the last handler's result, 0 when none ran.
int SendEvent(int32_t target, const std::string &type, EventArgs &args, int32_t sender = 0,
              void *context = nullptr);

// Destroys every widget but the main window and clears the script, the
// runs, the violations and the call log.
void Reset();

} // namespace standin::toolkit
