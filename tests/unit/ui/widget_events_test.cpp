// The event callback, called as the host calls it, with hand-made keyword
// lists: lookups, record decoding, write-backs and dropped events.
#include <gtest/gtest.h>

#include <vector>

#include "standin/toolkit/toolkit.h"
#include "tests/unit/unit_fixture.h"
#include "ui/widgets.h"

namespace {

namespace tk = standin::toolkit;

// An event keyword list built on the test's stack.
class EventList {
public:
    EventList &Add(const char *keyword, const void *value) {
        words_.push_back(const_cast<char *>(keyword));
        words_.push_back(const_cast<void *>(value));
        return *this;
    }
    void **Get() {
        terminated_ = words_;
        terminated_.push_back(nullptr);
        terminated_.push_back(nullptr);
        return terminated_.data();
    }

private:
    std::vector<void *> words_, terminated_;
};

// A dialog that records what its handlers receive.
class Recorder : public MQDialog {
public:
    explicit Recorder(MQWindowBase &parent) : MQDialog(parent) {}

    int OnExecute(MQWidgetBase *sender, void *context) {
        ++calls;
        lastSender = sender;
        lastContext = context;
        return 7;
    }
    int OnOther(MQWidgetBase *, void *) { return 0; }
    int OnKey(MQWidgetBase *sender, void *context, KeyState &state) {
        ++calls;
        lastSender = sender;
        lastContext = context;
        key = state;
        state.finished = finishKey;
        return 3;
    }

    int calls = 0;
    MQWidgetBase *lastSender = nullptr;
    void *lastContext = nullptr;
    KeyState key;
    bool finishKey = false;
};

// A target for events that are not key or execute events: the record is
// passed through Invoke, so a closure class of the test's own reads it.
class RecordClosure final : public MQWidgetEventClosureBase {
public:
    using Fn = void (*)(void *record);
    explicit RecordClosure(Fn fn) : fn_(fn) {}
    ~RecordClosure() = default;
    int Invoke(MQWidgetBase *, void *, void *record) override {
        fn_(record);
        return 11;
    }
    bool IsEqual(const MQWidgetEventClosureBase *o) const override { return o == this; }
    void *GetTarget() const override { return nullptr; }

private:
    Fn fn_;
};

class Events : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        tk::Reset();
        main = std::make_unique<MQWindow>();
        dialog = std::make_unique<Recorder>(*main);
        button = dialog->CreateButton(dialog.get(), u"Go");
        button->AddExecuteEvent(dialog.get(), &Recorder::OnExecute);
        dialog->AddKeyDownEvent(dialog.get(), &Recorder::OnKey);
        buttonId = button->GetID();
        dialogId = dialog->GetID();
    }

    void *ExecuteClosure() { return button->Handlers().at(0).get(); }
    void *KeyClosure() { return dialog->Handlers().at(0).get(); }

    // A key event on the dialog with the given button_state.
    int Key(int32_t key, int32_t state, uint8_t *finished = nullptr) {
        EventList list;
        list.Add("type", "keydown").Add("target_id", &dialogId).Add("sender_id", &dialogId);
        list.Add("key", &key).Add("button_state", &state);
        if (finished) list.Add("finished", finished);
        return WidgetEventCallback(nullptr, list.Get(), KeyClosure());
    }

    std::unique_ptr<MQWindow> main; // made once the host is bound
    std::unique_ptr<Recorder> dialog;
    MQButton *button = nullptr;
    int32_t buttonId = 0, dialogId = 0;
    int context = 0;
};

TEST_F(Events, ExecuteReachesTheHandlerWithSenderAndContext) {
    EventList list;
    list.Add("type", "execute").Add("target_id", &buttonId).Add("sender_id", &buttonId);
    EXPECT_EQ(WidgetEventCallback(&context, list.Get(), ExecuteClosure()), 7);
    EXPECT_EQ(dialog->calls, 1);
    EXPECT_EQ(dialog->lastSender, button);
    EXPECT_EQ(dialog->lastContext, &context);

    // An unknown sender is passed on as none.
    int32_t nobody = 999;
    EventList other;
    other.Add("type", "execute").Add("target_id", &buttonId).Add("sender_id", &nobody);
    EXPECT_EQ(WidgetEventCallback(nullptr, other.Get(), ExecuteClosure()), 7);
    EXPECT_EQ(dialog->lastSender, nullptr);
    EXPECT_EQ(tk::FirstViolation(), "");
}

TEST_F(Events, EventsThatReachNoHandlerReturnZero) {
    int32_t unknown = 4242;
    EventList noType, noWidget, wrongClosure, emptyList;
    noType.Add("target_id", &buttonId).Add("sender_id", &buttonId);
    noWidget.Add("type", "execute").Add("target_id", &unknown);
    wrongClosure.Add("type", "execute").Add("target_id", &buttonId);
    EXPECT_EQ(WidgetEventCallback(nullptr, noType.Get(), ExecuteClosure()), 0);
    EXPECT_EQ(WidgetEventCallback(nullptr, noWidget.Get(), ExecuteClosure()), 0);
    // The dialog's key closure is not in the button's handler list.
    EXPECT_EQ(WidgetEventCallback(nullptr, wrongClosure.Get(), KeyClosure()), 0);
    EXPECT_EQ(WidgetEventCallback(nullptr, emptyList.Get(), ExecuteClosure()), 0);
    EXPECT_EQ(WidgetEventCallback(nullptr, nullptr, ExecuteClosure()), 0);
    // A widget with no handlers at all.
    MQLabel *label = dialog->CreateLabel(nullptr, u"l");
    int32_t labelId = label->GetID();
    EventList toLabel;
    toLabel.Add("type", "execute").Add("target_id", &labelId);
    EXPECT_EQ(WidgetEventCallback(nullptr, toLabel.Get(), ExecuteClosure()), 0);
    EXPECT_EQ(dialog->calls, 0);
}

TEST_F(Events, TheFirstTypeWins) {
    int32_t key = 'Z';
    EventList list;
    list.Add("type", "keydown").Add("target_id", &dialogId).Add("key", &key).Add("type", "execute");
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), KeyClosure()), 3);
    EXPECT_EQ(dialog->key.key, 'Z');

    // "execute" first: the key closure runs without a key record.
    EventList reversed;
    reversed.Add("type", "execute").Add("target_id", &dialogId).Add("key", &key).Add("type", "keydown");
    EXPECT_EQ(WidgetEventCallback(nullptr, reversed.Get(), KeyClosure()), 3);
    EXPECT_EQ(dialog->key.key, 0);
    EXPECT_EQ(dialog->calls, 2);
}

TEST_F(Events, KeyStateDecodesButtonStateBits) {
    Key('A', 0x20);
    EXPECT_TRUE(dialog->key.alt);
    EXPECT_FALSE(dialog->key.shift || dialog->key.ctrl || dialog->key.lbutton || dialog->key.mbutton ||
                 dialog->key.rbutton);

    Key('A', 0x11);
    EXPECT_TRUE(dialog->key.lbutton);
    EXPECT_TRUE(dialog->key.mbutton);
    EXPECT_FALSE(dialog->key.rbutton || dialog->key.shift || dialog->key.ctrl || dialog->key.alt);

    Key('A', 0x0E);
    EXPECT_TRUE(dialog->key.rbutton && dialog->key.shift && dialog->key.ctrl);
    EXPECT_FALSE(dialog->key.alt);

    Key('A', 0x7FFFFFC0); // bits above 5 are ignored
    EXPECT_FALSE(dialog->key.lbutton || dialog->key.mbutton || dialog->key.rbutton || dialog->key.shift ||
                 dialog->key.ctrl || dialog->key.alt);
}

TEST_F(Events, AutoRepeatIsAnyNonZeroAndAMissingKeyIsZero) {
    int32_t repeat = 2;
    EventList list;
    list.Add("type", "keyup").Add("target_id", &dialogId).Add("auto_repeat", &repeat);
    WidgetEventCallback(nullptr, list.Get(), KeyClosure());
    EXPECT_TRUE(dialog->key.auto_repeat);
    EXPECT_EQ(dialog->key.key, 0);
    EXPECT_FALSE(dialog->key.alt);
}

TEST_F(Events, FinishedIsSetButNeverCleared) {
    uint8_t finished = 0;
    dialog->finishKey = false;
    Key('A', 0, &finished);
    EXPECT_EQ(finished, 0);
    finished = 1;
    Key('A', 0, &finished);
    EXPECT_EQ(finished, 1);

    dialog->finishKey = true;
    finished = 0;
    Key('A', 0, &finished);
    EXPECT_EQ(finished, 1);
    Key('A', 0); // no "finished" supplied: nothing to write
    EXPECT_EQ(dialog->calls, 4);
}

TEST_F(Events, MouseRecordIsFilledAndFinishedWrittenBack) {
    static MouseState seen;
    auto closure = std::make_shared<RecordClosure>([](void *r) {
        seen = *static_cast<MouseState *>(r);
        static_cast<MouseState *>(r)->finished = true;
    });
    button->AddEventCallback("leftdown", closure, true);
    int32_t cx = 5, cy = -6, sx = 700, wheel = -120, state = 0x21;
    float pressure = 0.5f;
    uint8_t finished = 0;
    EventList list;
    list.Add("type", "leftdown").Add("target_id", &buttonId).Add("client_x", &cx).Add("client_y", &cy);
    list.Add("screen_x", &sx).Add("wheel_delta", &wheel).Add("button_state", &state);
    list.Add("pressure", &pressure).Add("finished", &finished);
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), closure.get()), 11);
    EXPECT_EQ(seen.client_x, 5);
    EXPECT_EQ(seen.client_y, -6);
    EXPECT_EQ(seen.screen_x, 700);
    EXPECT_EQ(seen.screen_y, 0);
    EXPECT_EQ(seen.down_x, 0);
    EXPECT_EQ(seen.wheel_delta, -120);
    EXPECT_TRUE(seen.lbutton && seen.alt);
    EXPECT_FALSE(seen.mbutton || seen.rbutton || seen.shift || seen.ctrl);
    EXPECT_EQ(seen.pressure, 0.5f);
    EXPECT_FALSE(seen.finished);
    EXPECT_EQ(finished, 1);
}

TEST_F(Events, DrawItemChangesAreWrittenBackAndMissingValuesReadZero) {
    static ListDrawItemState list;
    auto listClosure = std::make_shared<RecordClosure>([](void *r) {
        auto *s = static_cast<ListDrawItemState *>(r);
        list = *s;
        s->width += 10;
        s->height = 99;
        s->y = 42;
    });
    button->AddEventCallback("listdrawitem", listClosure, false);
    int32_t index = 3, x = 1, y = 2, width = 30;
    int canvasHandle = 0;
    EventList ev;
    ev.Add("type", "listdrawitem").Add("target_id", &buttonId).Add("canvas", &canvasHandle);
    ev.Add("index", &index).Add("x", &x).Add("y", &y).Add("width", &width); // no "height"
    EXPECT_EQ(WidgetEventCallback(nullptr, ev.Get(), listClosure.get()), 11);
    EXPECT_EQ(list.index, 3);
    EXPECT_EQ(list.width, 30);
    EXPECT_EQ(list.height, 0);
    ASSERT_NE(list.canvas, nullptr);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(y, 42);
    EXPECT_EQ(x, 1);

    static TreeListDrawItemState tree;
    static void *canvasSeen;
    auto treeClosure = std::make_shared<RecordClosure>([](void *r) {
        tree = *static_cast<TreeListDrawItemState *>(r);
        canvasSeen = tree.canvas->Handle();
        static_cast<TreeListDrawItemState *>(r)->x = -8;
    });
    button->AddEventCallback("treelistdrawitem", treeClosure, false);
    int32_t tx = 4, ty = 5, tw = 6, th = 7;
    EventList tev;
    tev.Add("type", "treelistdrawitem").Add("target_id", &buttonId);
    tev.Add("x", &tx).Add("y", &ty).Add("width", &tw).Add("height", &th);
    WidgetEventCallback(nullptr, tev.Get(), treeClosure.get());
    EXPECT_EQ(tree.index, -1);
    EXPECT_EQ(tree.id, -1);
    EXPECT_EQ(tree.height, 7);
    EXPECT_EQ(canvasSeen, nullptr);
    EXPECT_EQ(tx, -8);
    EXPECT_EQ(th, 7);
}

TEST_F(Events, PaintHandsTheHostCanvasOver) {
    static void *handle;
    auto closure = std::make_shared<RecordClosure>(
        [](void *r) { handle = static_cast<PaintState *>(r)->canvas->Handle(); });
    button->AddEventCallback("paint", closure, false);
    int hostCanvas = 0;
    EventList ev;
    ev.Add("type", "paint").Add("target_id", &buttonId).Add("canvas", &hostCanvas);
    EXPECT_EQ(WidgetEventCallback(nullptr, ev.Get(), closure.get()), 11);
    EXPECT_EQ(handle, &hostCanvas);
}

TEST_F(Events, ALateEventAfterTheDialogIsGoneCallsNothing) {
    void *closure = ExecuteClosure();
    dialog.reset();
    EventList list;
    list.Add("type", "execute").Add("target_id", &buttonId).Add("sender_id", &buttonId);
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), closure), 0);
    EXPECT_EQ(tk::WidgetCount(), 1);
}

// The closure's target is gone and another object holds its old ID: the
// handler must not run on the destroyed target.
class WindowTarget : public MQWindow {
public:
    int OnExecute(MQWidgetBase *, void *) {
        ++calls;
        return 1;
    }
    int calls = 0;
};

using EventTargets = testsupport::HostTest;

TEST_F(EventTargets, AClosureWhoseTargetWasReplacedCallsNothing) {
    tk::Reset();
    auto *target = new WindowTarget;
    ASSERT_EQ(MQWidgetBase::FindWidget(target->GetID()), target);
    MQDialog holder(*target);
    MQButton *b = holder.CreateButton(&holder, u"b");
    b->AddExecuteEvent(target, &WindowTarget::OnExecute);
    void *closure = b->Handlers().back().get();
    int32_t id = b->GetID();
    EventList list;
    list.Add("type", "execute").Add("target_id", &id);
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), closure), 1);
    EXPECT_EQ(target->calls, 1);
    delete target;
    // Another wrapper of the same host window now holds the target's ID.
    MQWindow replacement;
    ASSERT_EQ(MQWidgetBase::FindWidget(replacement.GetID()), &replacement);
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), closure), 0);
}

TEST_F(Events, AHandlerMayDestroyTheDialogThatHoldsIt) {
    class SelfDestroying : public MQDialog {
    public:
        using MQDialog::MQDialog;
        int OnExecute(MQWidgetBase *, void *) {
            delete this;
            return 5;
        }
    };
    auto *d = new SelfDestroying(*main);
    MQButton *b = d->CreateButton(d, u"x");
    b->AddExecuteEvent(d, &SelfDestroying::OnExecute);
    int32_t id = b->GetID();
    EventList list;
    list.Add("type", "execute").Add("target_id", &id);
    EXPECT_EQ(WidgetEventCallback(nullptr, list.Get(), b->Handlers().at(0).get()), 5);
    EXPECT_EQ(MQWidgetBase::FindWidget(id), nullptr);
}

TEST_F(Events, ClosuresCompareByTypeTargetAndHandler) {
    MQWidgetEventClosure<Recorder> a(dialog.get(), &Recorder::OnExecute);
    MQWidgetEventClosure<Recorder> same(dialog.get(), &Recorder::OnExecute);
    MQWidgetEventClosure<Recorder> otherHandler(dialog.get(), &Recorder::OnOther);
    MQWidgetKeyEventClosure<Recorder> key(dialog.get(), &Recorder::OnKey);
    Recorder second(*main);
    MQWidgetEventClosure<Recorder> otherTarget(&second, &Recorder::OnExecute);
    EXPECT_TRUE(a.IsEqual(&same));
    EXPECT_FALSE(a.IsEqual(&otherHandler));
    EXPECT_FALSE(a.IsEqual(&key));
    EXPECT_FALSE(key.IsEqual(&a));
    EXPECT_FALSE(a.IsEqual(&otherTarget));
    EXPECT_EQ(a.GetTarget(), dialog.get());
    EXPECT_EQ(a.GetTargetID(), dialogId);
}

TEST_F(Events, HandlersAreRegisteredWithTheHostInOrder) {
    EXPECT_EQ(tk::HandlerTypes(buttonId), std::vector<std::string>{"execute"});
    EXPECT_EQ(tk::HandlerTypes(dialogId), std::vector<std::string>{"keydown"});
    EXPECT_EQ(dialog->Handlers().size(), 1u);
    EXPECT_EQ(tk::FirstViolation(), "");
}

} // namespace
