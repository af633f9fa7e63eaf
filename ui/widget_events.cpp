#include "ui/widget_events.h"

#include <string_view>

#include "host/contain.h"
#include "abi/keyword_list.h"

namespace {

// Values of an event's keyword list. Values given by pointer read as absent
// when the pointer is null.
class EventValues {
public:
    explicit EventValues(void **values) : values_(values) {}

    void *Word(const char *keyword) const {
        void *const *word = vexolin::keyword_list::Find(values_, keyword);
        return word != nullptr ? *word : nullptr;
    }
    int32_t *IntPtr(const char *keyword) const { return static_cast<int32_t *>(Word(keyword)); }
    int32_t Int(const char *keyword, int32_t absent) const {
        const int32_t *p = IntPtr(keyword);
        return p != nullptr ? *p : absent;
    }
    float Float(const char *keyword) const {
        const auto *p = static_cast<const float *>(Word(keyword));
        return p != nullptr ? *p : 0.0f;
    }

private:
    void **values_;
};

// The bits of "button_state"; higher bits are ignored.
struct Buttons {
    bool lbutton, mbutton, rbutton, shift, ctrl, alt;
};

Buttons DecodeButtons(int32_t state) {
    return {(state & 0x01) != 0, (state & 0x10) != 0, (state & 0x02) != 0,
            (state & 0x04) != 0, (state & 0x08) != 0, (state & 0x20) != 0};
}

template <class Record> void CopyButtons(Record &r, const EventValues &ev) {
    const Buttons b = DecodeButtons(ev.Int("button_state", 0));
    r.lbutton = b.lbutton;
    r.mbutton = b.mbutton;
    r.rbutton = b.rbutton;
    r.shift = b.shift;
    r.ctrl = b.ctrl;
    r.alt = b.alt;
}

bool IsMouseEvent(std::string_view t) {
    for (const char *name : {"leftdown", "leftup", "leftdoubleclick", "middledown", "middleup", "middledoubleclick",
                             "rightdown", "rightup", "rightdoubleclick", "mousemove", "mousewheel"})
        if (t == name) return true;
    return false;
}

// Sets the host's "finished" byte, never clears it.
void ReportFinished(bool finished, void *hostByte) {
    if (finished && hostByte != nullptr) *static_cast<uint8_t *>(hostByte) = 1;
}

// Reads "x", "y", "width", "height" into the record. A missing value (or a
// null pointer) reads as 0 and is not written back.
struct ItemRect {
    int32_t *x, *y, *width, *height;
};

template <class Record> ItemRect ReadRect(Record &r, const EventValues &ev) {
    ItemRect rect{ev.IntPtr("x"), ev.IntPtr("y"), ev.IntPtr("width"), ev.IntPtr("height")};
    r.x = rect.x ? *rect.x : 0;
    r.y = rect.y ? *rect.y : 0;
    r.width = rect.width ? *rect.width : 0;
    r.height = rect.height ? *rect.height : 0;
    return rect;
}

template <class Record> void WriteRect(const Record &r, const ItemRect &rect) {
    if (rect.x) *rect.x = r.x;
    if (rect.y) *rect.y = r.y;
    if (rect.width) *rect.width = r.width;
    if (rect.height) *rect.height = r.height;
}

} // namespace

namespace {

int DeliverEvent(void *context, void **values, void *closure) {
    const EventValues ev(values);
    const int32_t targetId = ev.Int("target_id", 0);
    const int32_t senderId = ev.Int("sender_id", 0);
    void *finishedByte = ev.Word("finished");
    const auto *type = static_cast<const char *>(ev.Word("type"));
    if (type == nullptr) return 0;

    MQWidgetBase *widget = MQWidgetBase::FindWidget(targetId);
    if (widget == nullptr) return 0;

    // Hold the closure for the whole call: a handler may destroy the widget
    // and with it the handler list.
    std::shared_ptr<MQWidgetEventClosureBase> handler;
    for (const auto &h : widget->Handlers())
        if (h.get() == closure) {
            handler = h;
            break;
        }
    if (handler == nullptr) return 0;

    MQWidgetBase *sender = MQWidgetBase::FindWidget(senderId);
    const std::string_view name(type);
    // The host may send any event to any handler it holds: a key handler
    // is given a key event's record only, never another event's (it would
    // read a mouse or paint record as a key state); without one it sees an
    // empty key state.
    const auto invoke = [&](void *record, bool keyRecord) {
        return handler->Invoke(sender, context, keyRecord || !handler->TakesKeyState() ? record : nullptr);
    };

    if (IsMouseEvent(name)) {
        MouseState s;
        s.client_x = ev.Int("client_x", 0);
        s.client_y = ev.Int("client_y", 0);
        s.screen_x = ev.Int("screen_x", 0);
        s.screen_y = ev.Int("screen_y", 0);
        s.down_x = ev.Int("down_x", 0);
        s.down_y = ev.Int("down_y", 0);
        s.last_x = ev.Int("last_x", 0);
        s.last_y = ev.Int("last_y", 0);
        s.wheel_delta = ev.Int("wheel_delta", 0);
        CopyButtons(s, ev);
        s.pressure = ev.Float("pressure");
        const int result = invoke(&s, false);
        ReportFinished(s.finished, finishedByte);
        return result;
    }
    if (name == "keydown" || name == "keyup") {
        KeyState s;
        s.key = ev.Int("key", 0);
        s.auto_repeat = ev.Int("auto_repeat", 0) != 0;
        CopyButtons(s, ev);
        const int result = invoke(&s, true);
        ReportFinished(s.finished, finishedByte);
        return result;
    }
    if (name == "paint") {
        MQCanvas canvas(ev.Word("canvas"));
        PaintState s;
        s.canvas = &canvas;
        return invoke(&s, false);
    }
    if (name == "listdrawitem") {
        MQCanvas canvas(ev.Word("canvas"));
        ListDrawItemState s;
        s.canvas = &canvas;
        s.index = ev.Int("index", -1);
        const ItemRect rect = ReadRect(s, ev);
        const int result = invoke(&s, false);
        WriteRect(s, rect);
        return result;
    }
    if (name == "treelistdrawitem") {
        MQCanvas canvas(ev.Word("canvas"));
        TreeListDrawItemState s;
        s.canvas = &canvas;
        s.index = ev.Int("index", -1);
        s.id = ev.Int("id", -1);
        const ItemRect rect = ReadRect(s, ev);
        const int result = invoke(&s, false);
        WriteRect(s, rect);
        return result;
    }
    return handler->Invoke(sender, context, nullptr);
}

} // namespace

// A handler that fails (out of memory) reports the event as not handled;
// nothing unwinds into the host's event loop.
int MQ_CALL WidgetEventCallback(void *context, void **values, void *closure) {
    return hostapi::Contain(0, [&] { return DeliverEvent(context, values, closure); });
}
