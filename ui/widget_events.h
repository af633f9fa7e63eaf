// Widget events: the closures that bind an event to an operation of a
// plug-in object, the event records, and the one callback the host calls
// for every event of a registered handler.
//
// The host receives only the bare closure pointer, as an identifier it hands
// back with each event; the widget on which the handler is registered keeps
// the closure alive. The callback delivers an event only while the event's
// widget is registered, holds that closure, and the closure's target is
// still the object registered under the target's ID.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "abi/mq_abi.h"
#include "ui/widgets.h"

// "leftdown" ... "mousewheel".
struct MouseState {
    int32_t client_x = 0, client_y = 0;
    int32_t screen_x = 0, screen_y = 0;
    int32_t down_x = 0, down_y = 0;
    int32_t last_x = 0, last_y = 0;
    int32_t wheel_delta = 0;
    bool lbutton = false, mbutton = false, rbutton = false;
    bool shift = false, ctrl = false, alt = false;
    float pressure = 0.0f;
    bool finished = false; // set by a handler: the host's "finished" byte becomes 1
};

// "keydown" and "keyup".
struct KeyState {
    int32_t key = 0; // digits and upper-case letters by their ASCII codes
    bool auto_repeat = false;
    bool lbutton = false, mbutton = false, rbutton = false;
    bool shift = false, ctrl = false, alt = false;
    bool finished = false;
};

// "paint".
struct PaintState {
    MQCanvas *canvas = nullptr;
};

// "listdrawitem". A handler may change x, y, width and height; they are
// written back to the host.
struct ListDrawItemState {
    MQCanvas *canvas = nullptr;
    int32_t index = -1;
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// "treelistdrawitem".
struct TreeListDrawItemState {
    MQCanvas *canvas = nullptr;
    int32_t index = -1;
    int32_t id = -1;
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// A closure is deleted through its exact type (the shared pointer that owns
// it was made from that type), so the base needs no virtual destructor.
class MQWidgetEventClosureBase {
public:
    // Calls the handler on the target, if the target is still registered
    // under the ID it had when the closure was made; 0 otherwise.
    virtual int Invoke(MQWidgetBase *sender, void *context, void *record) = 0;
    // True for a closure whose handler reads the record as a KeyState: it
    // is given the record of key events only.
    virtual bool TakesKeyState() const { return false; }
    // Same dynamic type, same target, same handler.
    virtual bool IsEqual(const MQWidgetEventClosureBase *other) const = 0;
    virtual void *GetTarget() const = 0;

protected:
    MQWidgetEventClosureBase() = default;
    ~MQWidgetEventClosureBase() = default;
};

namespace ui::detail {

// True when `target` is the live object registered under `id`. For a
// target that is not a widget, only the registration of the ID is checked.
inline bool TargetAlive(int32_t id, const MQWidgetBase *asWidget) {
    const MQWidgetBase *found = MQWidgetBase::FindWidget(id);
    if (found == nullptr) return false;
    return asWidget == nullptr || found == asWidget;
}

template <class T> const MQWidgetBase *AsWidget(T *target) {
    if constexpr (std::is_base_of_v<MQWidgetBase, T>)
        return target;
    else
        return nullptr;
}

} // namespace ui::detail

template <class T> class MQWidgetEventClosure final : public MQWidgetEventClosureBase {
public:
    using Handler = int (T::*)(MQWidgetBase *sender, void *context);

    MQWidgetEventClosure(T *target, Handler handler)
        : target_(target), targetId_(target->GetID()), handler_(handler),
          asWidget_(ui::detail::AsWidget(target)) {}
    ~MQWidgetEventClosure() = default;

    int Invoke(MQWidgetBase *sender, void *context, void *record) override {
        (void)record;
        if (!ui::detail::TargetAlive(targetId_, asWidget_)) return 0;
        return (target_->*handler_)(sender, context);
    }

    bool IsEqual(const MQWidgetEventClosureBase *other) const override {
        auto *o = dynamic_cast<const MQWidgetEventClosure *>(other);
        return o != nullptr && o->target_ == target_ && o->handler_ == handler_;
    }

    void *GetTarget() const override { return target_; }
    int32_t GetTargetID() const { return targetId_; }

private:
    T *target_;
    int32_t targetId_;
    Handler handler_;
    const MQWidgetBase *asWidget_;
};

template <class T> class MQWidgetKeyEventClosure final : public MQWidgetEventClosureBase {
public:
    using Handler = int (T::*)(MQWidgetBase *sender, void *context, KeyState &state);

    MQWidgetKeyEventClosure(T *target, Handler handler)
        : target_(target), targetId_(target->GetID()), handler_(handler),
          asWidget_(ui::detail::AsWidget(target)) {}
    ~MQWidgetKeyEventClosure() = default;

    // `record` is the event's KeyState. Without one (the closure registered
    // for an event that carries none) the handler sees an empty key state.
    int Invoke(MQWidgetBase *sender, void *context, void *record) override {
        if (!ui::detail::TargetAlive(targetId_, asWidget_)) return 0;
        KeyState empty;
        KeyState &state = record != nullptr ? *static_cast<KeyState *>(record) : empty;
        return (target_->*handler_)(sender, context, state);
    }

    bool TakesKeyState() const override { return true; }

    bool IsEqual(const MQWidgetEventClosureBase *other) const override {
        auto *o = dynamic_cast<const MQWidgetKeyEventClosure *>(other);
        return o != nullptr && o->target_ == target_ && o->handler_ == handler_;
    }

    void *GetTarget() const override { return target_; }
    int32_t GetTargetID() const { return targetId_; }

private:
    T *target_;
    int32_t targetId_;
    Handler handler_;
    const MQWidgetBase *asWidget_;
};

template <class T>
void MQWidgetBase::AddExecuteEvent(T *target, int (T::*handler)(MQWidgetBase *sender, void *context)) {
    AddEventCallback("execute", std::make_shared<MQWidgetEventClosure<T>>(target, handler), false);
}

template <class T>
void MQWidgetBase::AddKeyDownEvent(T *target, int (T::*handler)(MQWidgetBase *sender, void *context, KeyState &state)) {
    AddEventCallback("keydown", std::make_shared<MQWidgetKeyEventClosure<T>>(target, handler), false);
}

// The event callback registered under "proc" for every handler: finds the
// widget and the closure, decodes the event's record and calls the handler.
// Returns the handler's result, 0 when the event reaches no handler.
int MQ_CALL WidgetEventCallback(void *context, void **values, void *closure);
