// The plug-in's widget events: the real module, loaded by path and bound to
// the stand-in host, runs its command dialog on a small document, and while
// the dialog runs the input becomes a stream of events sent straight to the
// handler procedures the module registered: any event name, any target and
// sender (live, other or unknown widgets), any closure (its own, another
// handler's, an unknown one), any values present or missing; then a few
// scripted user actions, then Escape. Nothing may crash, the module may make
// no request the toolkit refuses, and MQModifySelect answers 0 or 1.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "standin/core/document.h"
#include "standin/settings/settings_store.h"
#include "standin/toolkit/toolkit.h"
#include "tests/fuzz/support/fuzz_module.h"
#include "tests/fuzz/support/fuzz_support.h"
#include "tests/support/plugin_module.h"

namespace tk = standin::toolkit;

namespace {

const char *const kEventNames[] = {
    "execute",   "changed",         "keydown",     "keyup",       "leftdown",  "leftup",
    "leftdoubleclick", "middledown", "middleup",   "middledoubleclick", "rightdown", "rightup",
    "rightdoubleclick", "mousemove", "mousewheel", "paint",       "listdrawitem", "treelistdrawitem",
};

// The values an event may carry beyond its type, target and sender.
const char *const kIntKeywords[] = {
    "key",     "auto_repeat", "button_state", "client_x", "client_y", "screen_x", "screen_y",
    "down_x",  "down_y",      "last_x",       "last_y",   "wheel_delta", "index", "id",
    "x",       "y",           "width",        "height",
};

// The dialog's keys: letters and digits (the Alt shortcuts), Escape, Return,
// and anything else.
int32_t Key(fuzzsupport::ByteReader &in) {
    switch (in.Below(4)) {
    case 0: return static_cast<int32_t>('A' + in.Below(26));
    case 1: return static_cast<int32_t>('0' + in.Below(10));
    case 2: return in.Bool() ? 0x1B : 0x0D;
    default: return in.Raw<int32_t>();
    }
}

struct Handler {
    int32_t widget;
    tk::RegisteredHandler registered;
};

// Every handler of the dialog and its widgets, in tree order.
std::vector<Handler> HandlersBelow(int32_t dialog) {
    std::vector<Handler> out;
    std::vector<int32_t> stack{dialog};
    while (!stack.empty()) {
        const int32_t id = stack.back();
        stack.pop_back();
        for (const tk::RegisteredHandler &h : tk::RegisteredHandlers(id)) out.push_back({id, h});
        const std::vector<int32_t> children = tk::ChildrenOf(id);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return out;
}

// One event, decoded from the input and sent to a registered procedure.
void SendOneEvent(fuzzsupport::ByteReader &in, const std::vector<Handler> &handlers, std::vector<int32_t> &ints) {
    const Handler &chosen = handlers[in.Below(static_cast<uint32_t>(handlers.size()))];
    // The closure: the chosen handler's own, another handler's, or unknown.
    void *closure = chosen.registered.pointer;
    switch (in.Below(8)) {
    case 0: closure = handlers[in.Below(static_cast<uint32_t>(handlers.size()))].registered.pointer; break;
    case 1: closure = reinterpret_cast<void *>(static_cast<uintptr_t>(in.Raw<uint32_t>())); break;
    default: break;
    }
    auto widgetId = [&]() -> int32_t {
        switch (in.Below(4)) {
        case 0: return handlers[in.Below(static_cast<uint32_t>(handlers.size()))].widget;
        case 1: return in.Raw<int32_t>();
        default: return chosen.widget;
        }
    };

    std::string type;
    bool hasType = true;
    switch (in.Below(8)) {
    case 0: type = std::string(in.Bytes(16)); break;
    case 1: hasType = false; break;
    case 2: type = kEventNames[in.Below(std::size(kEventNames))]; break;
    default: type = chosen.registered.type; break;
    }
    ints.clear();
    ints.reserve(64); // values are passed by pointer: no reallocation below
    uint8_t finished = in.Below(4) == 0 ? 1 : 0;
    float pressure = in.Raw<float>();

    std::vector<void *> list;
    auto add = [&](const char *keyword, void *value) {
        list.push_back(const_cast<char *>(keyword));
        list.push_back(value);
    };
    if (hasType) add("type", in.Below(16) == 0 ? nullptr : type.data());
    for (const char *keyword : {"target_id", "sender_id"}) {
        const uint32_t how = in.Below(8);
        if (how == 0) continue;                      // missing
        if (how == 1) {                              // present, null
            add(keyword, nullptr);
            continue;
        }
        ints.push_back(widgetId());
        add(keyword, &ints.back());
    }
    const uint32_t extra = in.Below(6);
    for (uint32_t k = 0; k < extra && ints.size() < ints.capacity(); ++k) {
        const char *keyword = kIntKeywords[in.Below(std::size(kIntKeywords))];
        if (in.Below(8) == 0) {
            add(keyword, nullptr);
            continue;
        }
        ints.push_back(std::strcmp(keyword, "key") == 0 ? Key(in) : in.Raw<int32_t>());
        add(keyword, &ints.back());
    }
    if (in.Bool()) add("pressure", &pressure);
    if (in.Bool()) add("finished", in.Below(8) == 0 ? nullptr : &finished);
    if (in.Below(8) == 0) add("canvas", nullptr);
    list.push_back(nullptr);
    list.push_back(nullptr);

    const uint8_t before = finished;
    const int result = chosen.registered.proc(in.Bool() ? &finished : nullptr, list.data(), closure);
    (void)result;
    FUZZ_CHECK(finished == before || finished == 1, "a handler wrote %u into the finished byte", finished);
}

// A few things the scripted user does after the events: typed values in the
// spin boxes, clicks, keys.
std::vector<tk::Action> UserActions(fuzzsupport::ByteReader &in) {
    std::vector<tk::Action> actions;
    const uint32_t count = in.Below(4);
    for (uint32_t k = 0; k < count; ++k) {
        switch (in.Below(3)) {
        case 0: {
            double value = static_cast<double>(in.Raw<float>());
            if (!(value == value) || value > 1e30 || value < -1e30) value = 1e30;
            actions.push_back(tk::Action::SetSpinAt(static_cast<int32_t>(in.Below(5)), value));
            break;
        }
        case 1: actions.push_back(tk::Action::Key(Key(in), {in.Bool(), in.Bool(), in.Bool()})); break;
        default: actions.push_back(tk::Action::ClickId(static_cast<int32_t>(in.Below(64)))); break;
        }
    }
    actions.push_back(tk::Action::Cancel());
    return actions;
}

void BuildDocument(standin::Document &doc) {
    doc.AddObject("cube");
    standin::Object &cube = *doc.ObjectAt(0);
    for (int i = 0; i < 8; ++i)
        cube.AddVertex({static_cast<float>(i & 1) - 0.5f, static_cast<float>((i >> 1) & 1) - 0.5f,
                        static_cast<float>(i >> 2) - 0.5f});
    const int32_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto &q : quads) cube.AddFace(q);
    cube.SelectVertex(0, true);
    cube.SelectFace(1, true);
    cube.SelectLine(2, 1, true);
    doc.currentObject = 0;
}

testsupport::PluginModule &Module() { return fuzzsupport::BoundModule(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    testsupport::PluginModule &module = Module();
    static standin::SettingsStore store;
    store.Clear();
    standin::SetHostSettings(&store);
    tk::Reset();

    fuzzsupport::ByteReader in(data, size);
    std::vector<int32_t> ints;
    tk::SetModalObserver([&](int32_t dialog) {
        tk::SetModalObserver(nullptr); // nested runs are left to the script
        const std::vector<Handler> handlers = HandlersBelow(dialog);
        FUZZ_CHECK(!handlers.empty(), "the dialog registered no handler");
        for (int events = 0; events < 64 && !in.Empty(); ++events) {
            if (in.Below(16) == 0) break;
            SendOneEvent(in, handlers, ints);
        }
        tk::AppendScript(UserActions(in));
    });
    standin::Document doc;
    BuildDocument(doc);
    tk::SetScript({});
    const int answer = module.MQModifySelect(0, doc.Handle());
    FUZZ_CHECK(answer == 0 || answer == 1, "MQModifySelect answered %d", answer);
    const std::string violation = tk::FirstViolation();
    FUZZ_CHECK(violation.empty(), "the toolkit refused a request of the module: %s", violation.c_str());
    tk::Reset();
    return 0;
}
