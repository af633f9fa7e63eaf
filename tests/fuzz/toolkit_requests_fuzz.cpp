// The stand-in toolkit's request decoding: the input becomes a run of
// MQWidget_Value calls with any code, any widget ID (made earlier, the main
// window, unknown) and any keyword list: known and unknown keywords, values
// missing, null, or pointing at texts, wide texts, numbers and bytes of any
// form. Every value points at a block large enough for whatever the toolkit
// reads or writes there, with a terminator at its end, so what a plug-in
// could hand over legitimately is all that varies. Each call is accepted
// (answer 1) or refused as a recorded violation (answer 0, one more
// violation), never both or neither; the widget tree stays consistent
// (every child names its parent, no widget is its own ancestor) and can be
// dumped; events sent to any widget reach only the handlers registered here.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "standin/toolkit/toolkit.h"
#include "tests/fuzz/support/fuzz_support.h"

extern "C" int MQ_CALL MQWidget_Value(int id, int code, void **values);

namespace tk = standin::toolkit;

namespace {

const int kCodes[] = {MQ_WIDGET_WINDOW_COMMAND, MQ_WIDGET_GET_SYSTEM, MQ_WIDGET_CREATE,       MQ_WIDGET_DELETE,
                      MQ_WIDGET_ADD_CHILD,      MQ_WIDGET_ADD_DIALOG, MQ_WIDGET_GET_PROPERTY, MQ_WIDGET_SET_PROPERTY,
                      MQ_WIDGET_ADD_EVENT};

const char *const kKeywords[] = {
    "type",     "id",        "system",       "result",        "child",        "code",        "proc",
    "pointer",  "prior",     "text",         "title",         "alignment",    "multicolumn", "matrixcolumn",
    "vertlayout", "horzlayout", "hintsizeratex", "hintsizeratey", "cancel",    "modalresult", "checked",
    "position", "min",       "max",          "increment",     "decimaldigit", "visiblecolumn", "pos_x",
    "pos_y",    "enabled",   "visible",
};

const char *const kWords[] = {
    "dialog", "frame", "groupbox", "label", "button", "checkbox", "spinbox", "doublespinbox", "main_window",
    "modal",  "close", "ok",       "cancel", "execute", "changed", "keydown", "paint", "left", "center",
    "right",  "fill",  "auto",     "",       "leftdown", "mousewheel",
};

// One value's storage: large enough for any read or write the toolkit
// makes, and always ending in zeros, so any text read from it ends inside.
struct Slot {
    alignas(8) unsigned char bytes[72] = {};
};

int MQ_CALL NoHandler(void *, void **, void *) { return 0; }

void FillSlot(fuzzsupport::ByteReader &in, Slot &slot) {
    std::memset(slot.bytes, 0, sizeof slot.bytes);
    switch (in.Below(6)) {
    case 0: { // an ASCII word
        const char *word = kWords[in.Below(std::size(kWords))];
        std::memcpy(slot.bytes, word, std::strlen(word));
        break;
    }
    case 1: { // a wide text
        const std::string_view text = in.Bytes(30);
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = static_cast<unsigned char>(text[i]) | (in.Below(8) == 0 ? 0xD800 : 0);
            std::memcpy(slot.bytes + 2 * i, &c, 2);
        }
        break;
    }
    case 2: {
        const int32_t v = in.Below(2) ? static_cast<int32_t>(in.Below(64)) : in.Raw<int32_t>();
        std::memcpy(slot.bytes, &v, sizeof v);
        break;
    }
    case 3: {
        const double v = static_cast<double>(in.Raw<float>());
        std::memcpy(slot.bytes, &v, sizeof v);
        break;
    }
    case 4: slot.bytes[0] = in.Below(4) == 0 ? in.Byte() : in.Below(2); break; // a bool byte
    default: {                                                                  // raw bytes
        const std::string_view raw = in.Bytes(40);
        std::memcpy(slot.bytes, raw.data(), raw.size());
        break;
    }
    }
}

void CheckTree(const std::vector<int32_t> &ids) {
    for (int32_t id : ids) {
        if (!tk::Exists(id)) continue;
        for (int32_t child : tk::ChildrenOf(id))
            FUZZ_CHECK(tk::ParentOf(child) == id, "widget %d lists child %d, whose parent is %d", id, child,
                       tk::ParentOf(child));
        std::set<int32_t> seen{id};
        for (int32_t p = tk::ParentOf(id); p != 0; p = tk::ParentOf(p))
            FUZZ_CHECK(seen.insert(p).second, "widget %d is its own ancestor", id);
    }
    (void)tk::Dump();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    tk::Reset();
    fuzzsupport::ByteReader in(data, size);
    std::vector<int32_t> ids{tk::kMainWindowId};
    std::vector<Slot> slots(8);
    std::vector<std::string> keywords(8);
    for (int call = 0; call < 48 && !in.Empty(); ++call) {
        const int code = in.Below(16) == 0 ? static_cast<int>(in.Raw<uint16_t>()) : kCodes[in.Below(9)];
        int32_t id = ids[in.Below(static_cast<uint32_t>(ids.size()))];
        if (in.Below(16) == 0) id = in.Raw<int32_t>();

        std::vector<void *> list;
        const uint32_t pairs = in.Below(5);
        for (uint32_t k = 0; k < pairs; ++k) {
            keywords[k] = in.Below(8) == 0 ? std::string(in.Bytes(12)) : kKeywords[in.Below(std::size(kKeywords))];
            list.push_back(keywords[k].data());
            void *value = nullptr;
            if (keywords[k] == "proc") {
                value = in.Below(4) == 0 ? nullptr : reinterpret_cast<void *>(&NoHandler);
            } else if (in.Below(8) != 0) {
                FillSlot(in, slots[k]);
                value = slots[k].bytes;
            }
            list.push_back(value);
        }
        list.push_back(nullptr);
        list.push_back(nullptr);

        const size_t violationsBefore = tk::Violations().size();
        const int answer = MQWidget_Value(id, code, list.data());
        const size_t violationsAfter = tk::Violations().size();
        FUZZ_CHECK((answer == 1 && violationsAfter == violationsBefore) ||
                       (answer == 0 && violationsAfter == violationsBefore + 1),
                   "code %#x on %d answered %d with %zu new violations", code, id, answer,
                   violationsAfter - violationsBefore);
        if (answer == 1 && code == MQ_WIDGET_CREATE) {
            for (uint32_t k = 0; k < pairs; ++k) {
                if (keywords[k] != "id" || list[2 * k + 1] == nullptr) continue;
                int32_t made = 0;
                std::memcpy(&made, slots[k].bytes, sizeof made);
                FUZZ_CHECK(tk::Exists(made), "created widget %d does not exist", made);
                ids.push_back(made);
                break;
            }
        }
        CheckTree(ids);
    }
    // Events reach the handlers registered above, which do nothing.
    for (int32_t id : ids) {
        tk::EventArgs args;
        (void)tk::SendEvent(id, "execute", args);
    }
    tk::Reset();
    return 0;
}
