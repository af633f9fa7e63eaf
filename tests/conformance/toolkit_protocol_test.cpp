// The stand-in toolkit as any plug-in sees it through MQWidget_Value: the
// operation codes, what it refuses (and that a refusal changes nothing),
// event delivery, the scripted user's text form and the tree dump.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "abi/mq_host_declarations.h"
#include "standin/toolkit/toolkit.h"

namespace {

namespace tk = standin::toolkit;

// A keyword or a value as the pointer-sized word of a keyword list.
void *Word(const void *p) { return const_cast<void *>(p); }

int32_t Create(const char *kind) {
    int32_t id = -5;
    void *v[] = {Word("type"), Word(kind), Word("id"), &id, nullptr, nullptr};
    MQWidget_Value(0, MQ_WIDGET_CREATE, v);
    return id;
}

int Set(int32_t id, const char *keyword, const void *value) {
    void *v[] = {Word(keyword), Word(value), nullptr, nullptr};
    return MQWidget_Value(id, MQ_WIDGET_SET_PROPERTY, v);
}

int Get(int32_t id, const char *keyword, void *out) {
    void *v[] = {Word(keyword), out, nullptr, nullptr};
    return MQWidget_Value(id, MQ_WIDGET_GET_PROPERTY, v);
}

int AddChild(int32_t parent, int32_t child, int code = MQ_WIDGET_ADD_CHILD) {
    int32_t result = -1;
    void *v[] = {Word("child"), &child, Word("result"), &result, nullptr, nullptr};
    MQWidget_Value(parent, code, v);
    return result;
}

class Toolkit : public ::testing::Test {
protected:
    void SetUp() override { tk::Reset(); }

    // Expects the last call to have been refused with a message naming `what`.
    void ExpectRefused(size_t &seen, const std::string &what) {
        const auto v = tk::Violations();
        ASSERT_EQ(v.size(), seen + 1) << "expected a refusal mentioning " << what;
        EXPECT_NE(v.back().find(what), std::string::npos) << v.back();
        seen = v.size();
    }
};

TEST_F(Toolkit, RefusedSetsChangeNothingAndAreRecorded) {
    const int32_t check = Create("checkbox");
    const int32_t spin = Create("doublespinbox");
    const int32_t frame = Create("frame");
    size_t seen = 0;
    uint8_t on = 1, two = 2;
    double nan = std::numeric_limits<double>::quiet_NaN(), five = 5.0;
    int32_t negative = -1;

    EXPECT_EQ(Set(check, "checked", &on), 1);
    EXPECT_EQ(Set(check, "checked", &two), 0);
    ExpectRefused(seen, "bool byte holding 2");
    EXPECT_EQ(Set(check, "position", &five), 0);
    ExpectRefused(seen, "does not apply to a checkbox");
    EXPECT_EQ(Set(check, "colour", &five), 0);
    ExpectRefused(seen, "unknown property \"colour\"");
    EXPECT_EQ(Set(check, "checked", nullptr), 0);
    ExpectRefused(seen, "null pointer");
    EXPECT_EQ(Set(spin, "position", &nan), 0);
    ExpectRefused(seen, "finite");
    EXPECT_EQ(Set(frame, "alignment", "diagonal"), 0);
    ExpectRefused(seen, "alignment");
    EXPECT_EQ(Set(frame, "matrixcolumn", &negative), 0);
    ExpectRefused(seen, "negative");
    EXPECT_EQ(Set(9999, "checked", &on), 0);
    ExpectRefused(seen, "no widget with ID 9999");
    EXPECT_EQ(Set(check, "text", u"\xD800"), 0); // a lone surrogate
    ExpectRefused(seen, "UTF-16");

    // A list whose second property is bad sets neither.
    uint8_t off = 0;
    void *both[] = {Word("checked"), &off, Word("bogus"), &off, nullptr, nullptr};
    EXPECT_EQ(MQWidget_Value(check, MQ_WIDGET_SET_PROPERTY, both), 0);
    ExpectRefused(seen, "bogus");

    EXPECT_EQ(tk::Property(check, "checked"), tk::Value(true));
    EXPECT_EQ(tk::Property(spin, "position"), tk::Value(0.0));
    EXPECT_EQ(tk::Property(frame, "alignment"), tk::Value(std::string("horz")));
    EXPECT_EQ(tk::FirstViolation(), tk::Violations().front());
}

TEST_F(Toolkit, GetsWriteOnlyReadableProperties) {
    const int32_t button = Create("button");
    int32_t result = -7;
    EXPECT_EQ(Get(button, "modalresult", &result), 1);
    EXPECT_EQ(result, 0);
    const char16_t *text = nullptr;
    EXPECT_EQ(Get(button, "text", &text), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_NE(tk::FirstViolation().find("cannot be read"), std::string::npos);
    EXPECT_EQ(Get(button, "modalresult", nullptr), 0);
}

TEST_F(Toolkit, CreationLookupAndDestructionRules) {
    EXPECT_EQ(Create("slider"), 0);
    EXPECT_NE(tk::FirstViolation().find("unknown widget kind"), std::string::npos);

    int32_t main = -1;
    void *look[] = {Word("system"), Word("main_window"), Word("result"), &main, nullptr, nullptr};
    EXPECT_EQ(MQWidget_Value(0, MQ_WIDGET_GET_SYSTEM, look), 1);
    EXPECT_EQ(main, tk::kMainWindowId);
    int32_t other = -1;
    void *bad[] = {Word("system"), Word("desktop"), Word("result"), &other, nullptr, nullptr};
    EXPECT_EQ(MQWidget_Value(0, MQ_WIDGET_GET_SYSTEM, bad), 0);
    EXPECT_EQ(other, -1);

    EXPECT_EQ(MQWidget_Value(tk::kMainWindowId, MQ_WIDGET_DELETE, nullptr), 0);
    EXPECT_TRUE(tk::Exists(tk::kMainWindowId));
    const int32_t label = Create("label");
    EXPECT_EQ(MQWidget_Value(label, MQ_WIDGET_DELETE, nullptr), 1);
    EXPECT_EQ(MQWidget_Value(label, MQ_WIDGET_DELETE, nullptr), 0); // already gone
    EXPECT_EQ(MQWidget_Value(label, 0x999, nullptr), 0);
    EXPECT_EQ(tk::Violations().size(), 5u);
}

TEST_F(Toolkit, TreeRulesKeepTheWidgetTreeSound) {
    const int32_t dialog = Create("dialog");
    const int32_t outer = Create("frame");
    const int32_t inner = Create("groupbox");
    const int32_t button = Create("button");
    EXPECT_EQ(AddChild(tk::kMainWindowId, dialog, MQ_WIDGET_ADD_DIALOG), 1);
    EXPECT_EQ(AddChild(dialog, outer), 1);
    EXPECT_EQ(AddChild(outer, inner), 1);
    EXPECT_EQ(AddChild(inner, button), 1);
    EXPECT_TRUE(tk::Violations().empty());

    EXPECT_EQ(AddChild(inner, outer), -1);          // a cycle
    EXPECT_EQ(AddChild(button, Create("label")), -1); // a button holds nothing
    EXPECT_EQ(AddChild(outer, dialog), -1);         // dialogs are attached with 0x203
    EXPECT_EQ(AddChild(outer, Create("dialog"), MQ_WIDGET_ADD_DIALOG), -1);
    EXPECT_EQ(AddChild(outer, 777), -1);
    EXPECT_EQ(tk::Violations().size(), 5u);
    EXPECT_EQ(tk::ParentOf(outer), dialog);

    // Moving a widget takes it from its old parent.
    EXPECT_EQ(AddChild(dialog, button), 1);
    EXPECT_TRUE(tk::ChildrenOf(inner).empty());
    EXPECT_EQ(tk::ChildrenOf(dialog), (std::vector<int32_t>{outer, button}));
    // Destroying a parent leaves its children alive, detached.
    EXPECT_EQ(MQWidget_Value(outer, MQ_WIDGET_DELETE, nullptr), 1);
    EXPECT_EQ(tk::ParentOf(inner), 0);
    EXPECT_EQ(tk::ChildrenOf(dialog), std::vector<int32_t>{button});
}

struct Seen {
    static inline std::vector<std::string> calls;
    static inline int32_t target = 0, sender = 0, key = 0;
    static inline void *context = nullptr;
};

int MQ_CALL Record(void *context, void **values, void *closure) {
    Seen::calls.push_back(static_cast<const char *>(closure));
    Seen::context = context;
    for (size_t i = 0; values[i] != nullptr; i += 2) {
        const std::string k = static_cast<const char *>(values[i]);
        if (k == "target_id") Seen::target = *static_cast<int32_t *>(values[i + 1]);
        if (k == "sender_id") Seen::sender = *static_cast<int32_t *>(values[i + 1]);
        if (k == "key") Seen::key = *static_cast<int32_t *>(values[i + 1]);
        if (k == "finished" && std::string(static_cast<const char *>(closure)) == "finishing")
            *static_cast<uint8_t *>(values[i + 1]) = 1;
        if (k == "width") *static_cast<int32_t *>(values[i + 1]) += 1;
    }
    return static_cast<int>(Seen::calls.size());
}

int AddHandler(int32_t id, const char *type, const char *name, bool prior) {
    uint8_t p = prior ? 1 : 0;
    void *v[] = {Word("type"),    Word(type), Word("proc"),  reinterpret_cast<void *>(&Record),
                 Word("pointer"), Word(name), Word("prior"), &p, nullptr, nullptr};
    return MQWidget_Value(id, MQ_WIDGET_ADD_EVENT, v);
}

TEST_F(Toolkit, HandlersRunPriorFirstAndStopWhenFinished) {
    Seen::calls.clear();
    const int32_t dialog = Create("dialog");
    EXPECT_EQ(AddHandler(dialog, "keydown", "late", false), 1);
    EXPECT_EQ(AddHandler(dialog, "keydown", "first", true), 1);
    EXPECT_EQ(AddHandler(dialog, "keydown", "finishing", false), 1);
    EXPECT_EQ(AddHandler(dialog, "keydown", "never", false), 1);
    EXPECT_EQ(AddHandler(dialog, "typed", "x", false), 0);
    EXPECT_EQ(tk::HandlerTypes(dialog).size(), 4u);

    tk::EventArgs args;
    args.ints = {{"key", 'Q'}};
    args.hasFinished = true;
    int ctx = 0;
    EXPECT_EQ(tk::SendEvent(dialog, "keydown", args, 0, &ctx), 3);
    EXPECT_EQ(Seen::calls, (std::vector<std::string>{"first", "late", "finishing"}));
    EXPECT_EQ(args.finished, 1);
    EXPECT_EQ(Seen::target, dialog);
    EXPECT_EQ(Seen::sender, dialog);
    EXPECT_EQ(Seen::key, 'Q');
    EXPECT_EQ(Seen::context, &ctx);

    // Values the handlers change are handed back.
    Seen::calls.clear();
    const int32_t button = Create("button");
    AddHandler(button, "listdrawitem", "draw", false);
    tk::EventArgs draw;
    draw.ints = {{"width", 10}};
    tk::SendEvent(button, "listdrawitem", draw);
    EXPECT_EQ(draw.ints[0].second, 11);
}

TEST_F(Toolkit, ScriptedRunsOfARawDialog) {
    Seen::calls.clear();
    const int32_t dialog = Create("dialog");
    const int32_t ok = Create("button");
    const int32_t check = Create("checkbox");
    AddChild(dialog, ok);
    AddChild(dialog, check);
    Set(ok, "text", u"OK");
    Set(check, "text", u"Wire");
    AddHandler(check, "execute", "check", false);
    int32_t three = 3;
    Set(ok, "modalresult", &three);

    int32_t result = -1;
    void *modal[] = {Word("type"), Word("modal"), Word("result"), &result, nullptr, nullptr};
    tk::SetScript({tk::Action::ClickId(check), tk::Action::Click("OK")});
    EXPECT_EQ(MQWidget_Value(dialog, MQ_WIDGET_WINDOW_COMMAND, modal), 1);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(Seen::calls, std::vector<std::string>{"check"});
    EXPECT_EQ(tk::Property(check, "checked"), tk::Value(true));

    // Cancel without a cancel button ends with 2; a widget outside the
    // dialog cannot be clicked.
    tk::SetScript({tk::Action::Cancel()});
    MQWidget_Value(dialog, MQ_WIDGET_WINDOW_COMMAND, modal);
    EXPECT_EQ(result, 2);
    const int32_t outside = Create("button");
    tk::SetScript({tk::Action::ClickId(outside)});
    MQWidget_Value(dialog, MQ_WIDGET_WINDOW_COMMAND, modal);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(tk::ModalRuns().back().end, tk::RunEnd::ScriptError);

    // Window commands only on dialogs; "close" outside a run does nothing.
    void *close[] = {Word("type"), Word("close"), Word("code"), Word("ok"), nullptr, nullptr};
    EXPECT_EQ(MQWidget_Value(dialog, MQ_WIDGET_WINDOW_COMMAND, close), 1);
    EXPECT_EQ(MQWidget_Value(ok, MQ_WIDGET_WINDOW_COMMAND, modal), 0);
    EXPECT_EQ(tk::Violations().size(), 1u);
}

TEST_F(Toolkit, DumpShowsTheTreeInOrder) {
    const int32_t dialog = Create("dialog");
    const int32_t group = Create("groupbox");
    const int32_t button = Create("button");
    AddChild(tk::kMainWindowId, dialog, MQ_WIDGET_ADD_DIALOG);
    AddChild(dialog, group);
    AddChild(group, button);
    Set(dialog, "title", u"T \"q\"");
    Set(button, "text", u"X<0(&Z)");
    AddHandler(button, "execute", "b", false);
    const int32_t loose = Create("label");
    // IDs are never reused, so they depend on what ran before in this process.
    auto n = [](int32_t id) { return std::to_string(id); };
    const std::string expected =
        "main_window #1 title=\"main window\"\n"
        "  dialog #" + n(dialog) + " pos_x=160 pos_y=120 title=\"T \\\"q\\\"\"\n"
        "    groupbox #" + n(group) + " alignment=\"vert\" hintsizeratex=1 hintsizeratey=1 horzlayout=\"auto\" "
        "matrixcolumn=0 multicolumn=false text=\"\" vertlayout=\"auto\"\n"
        "      button #" + n(button) + " cancel=false hintsizeratex=1 hintsizeratey=1 horzlayout=\"auto\" "
        "modalresult=0 text=\"X<0(&Z)\" vertlayout=\"auto\" on=execute\n"
        "label #" + n(loose) + " (detached) hintsizeratex=1 hintsizeratey=1 horzlayout=\"auto\" text=\"\" "
        "vertlayout=\"auto\"\n";
    EXPECT_EQ(tk::Dump(), expected);
}

TEST_F(Toolkit, ActionsParseFromText) {
    auto a = tk::ParseAction("click Clear::Vertex");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->type, tk::Action::Type::Click);
    EXPECT_EQ(a->group, "Clear");
    EXPECT_EQ(a->label, "Vertex");
    a = tk::ParseAction("click Vertex -> Face(&W)");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->label, "Vertex -> Face(&W)");
    EXPECT_EQ(a->group, "");
    a = tk::ParseAction("key alt+z");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->key, 'Z');
    EXPECT_TRUE(a->modifiers.alt && !a->modifiers.shift);
    a = tk::ParseAction("key shift+#27");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->key, 27);
    a = tk::ParseAction("set Range=0.25");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->label, "Range");
    EXPECT_EQ(a->value, 0.25);
    a = tk::ParseAction("set @2=-90");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->index, 2);
    a = tk::ParseAction("set #12=3");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->id, 12);
    EXPECT_TRUE(tk::ParseAction("cancel"));

    std::string error;
    for (const char *bad : {"", "jump", "click", "set Range", "set Range=abc", "set #0=1", "key alt+", "key alt+ZZ",
                            "cancel now", "set @-1=2", "set Range=inf"}) {
        EXPECT_FALSE(tk::ParseAction(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
        error.clear();
    }
}

} // namespace
