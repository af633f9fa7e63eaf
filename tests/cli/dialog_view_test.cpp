// The dialog as --list and --dialog-png show it: taken from the real
// plug-in's live widget tree, listed with the stored option values, drawn
// with the controls where the layout puts them; and neither changes the
// settings.
#include "standin/cli/dialog_view.h"

#include <fontconfig/fontconfig.h>

#include "standin/cli/plugin_run.h"
#include "standin/cli/png_bytes.h"
#include "standin/settings/settings_store.h"
#include "tests/cli/tool_fixture.h"

namespace cli = standin::cli;

namespace {

namespace tk = standin::toolkit;
namespace fs = std::filesystem;

// Drawing text loads fonts that cairo and fontconfig keep until told to let
// go; they are released after the last test so that a leak checker sees
// only what the code under test kept.
class ReleaseFonts : public ::testing::Environment {
public:
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
[[maybe_unused]] ::testing::Environment *const kReleaseFonts = ::testing::AddGlobalTestEnvironment(new ReleaseFonts);
using clitest::ToolTest;

// ---------------------------------------------------------------------------
// In process: the tree, its layout and its picture
// ---------------------------------------------------------------------------

class DialogView : public ::testing::Test {
protected:
    void SetUp() override { standin::SetHostSettings(&store_); }
    void TearDown() override { standin::SetHostSettings(nullptr); }

    cli::DialogNode Capture() {
        cli::PluginRunner runner(VEXOLIN_PLUGIN_PATH);
        standin::Document doc;
        doc.AddObject("empty");
        return runner.CaptureDialog(doc);
    }

    standin::SettingsStore store_;
};

const cli::DialogNode *FindNode(const cli::DialogNode &n, const std::string &text, tk::Kind kind) {
    if (n.kind == kind && n.text == text) return &n;
    for (const auto &c : n.children)
        if (const auto *found = FindNode(c, text, kind)) return found;
    return nullptr;
}

void CollectKind(const cli::DialogNode &n, tk::Kind kind, std::vector<const cli::DialogNode *> &out) {
    if (n.kind == kind) out.push_back(&n);
    for (const auto &c : n.children) CollectKind(c, kind, out);
}

struct Pixels {
    cairo_surface_t *s;
    std::array<uint8_t, 3> At(int x, int y) const {
        const int stride = cairo_image_surface_get_stride(s);
        const auto px = *reinterpret_cast<const uint32_t *>(cairo_image_surface_get_data(s) + y * stride + x * 4);
        return {static_cast<uint8_t>(px >> 16), static_cast<uint8_t>(px >> 8), static_cast<uint8_t>(px)};
    }
    // Pixels inside the box (one pixel in from its edge) matching `pred`.
    template <class P> int Count(const cli::Box &b, P pred) const {
        int n = 0;
        for (int y = static_cast<int>(b.y) + 2; y < static_cast<int>(b.y + b.h) - 2; ++y)
            for (int x = static_cast<int>(b.x) + 2; x < static_cast<int>(b.x + b.w) - 2; ++x) n += pred(At(x, y));
        return n;
    }
};

bool Dark(const std::array<uint8_t, 3> &c) { return c[0] < 90 && c[1] < 90 && c[2] < 90; }
bool Blue(const std::array<uint8_t, 3> &c) { return c[2] > 120 && c[0] < 100; }

TEST(Mnemonics, MarkAndShownLabel) {
    EXPECT_EQ(cli::Mnemonic("Ridge(&R)"), 'R');
    EXPECT_EQ(cli::Mnemonic("(&f)ace"), 'F');
    EXPECT_EQ(cli::Mnemonic("Y<0"), 0);
    EXPECT_EQ(cli::Mnemonic("A&&B"), 0);
    EXPECT_EQ(cli::Mnemonic("A&&B(&C)"), 'C');
    EXPECT_EQ(cli::ShownLabel("Line => Dup Vertex(&1)"), "Line => Dup Vertex(1)");
    EXPECT_EQ(cli::ShownLabel("A&&B"), "A&B");
}

TEST_F(DialogView, TreeHoldsStoredValuesAndLeavesNothingSaved) {
    pugi::xml_node section = store_.PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7");
    for (auto [key, text] : {std::pair{"face", "1"}, {"suppl", "0"}, {"angle1", "-4.500000e+01"}})
        section.append_child(key).text().set(text);
    const cli::DialogNode dialog = Capture();
    EXPECT_EQ(dialog.kind, tk::Kind::Dialog);
    EXPECT_EQ(dialog.text, "Vexolin");
    std::vector<const cli::DialogNode *> buttons;
    CollectKind(dialog, tk::Kind::Button, buttons);
    EXPECT_EQ(buttons.size(), 31u);  // thirty commands and Cancel

    const std::string list = cli::ListDialog(dialog);
    EXPECT_NE(list.find("check box [x] \"(&F)ace\""), std::string::npos) << list;
    EXPECT_NE(list.find("check box [ ] \"Supplement\""), std::string::npos) << list;
    EXPECT_NE(list.find("number after \"Angle\" = -45.0  (-180 to 180, step 5)  --angle1"), std::string::npos) << list;
    // The cancelled run wrote nothing back: the section is as it was.
    EXPECT_STREQ(section.child("angle1").text().as_string(), "-4.500000e+01");
    EXPECT_TRUE(section.child("range").empty());
}

TEST_F(DialogView, LayoutKeepsControlsInsideTheirGroupsAndApart) {
    const cli::DialogNode dialog = Capture();
    const cli::DialogLayout layout = cli::LayoutDialog(dialog);
    EXPECT_GE(layout.width, 400);
    EXPECT_LE(layout.width, 1600);
    EXPECT_GE(layout.height, 250);
    EXPECT_LE(layout.height, 1200);

    auto box = [&](const std::string &text, tk::Kind kind) {
        const auto *n = FindNode(dialog, text, kind);
        EXPECT_NE(n, nullptr) << text;
        return n ? layout.boxes.at(n->id) : cli::Box{};
    };
    auto inside = [](const cli::Box &in, const cli::Box &out) {
        return in.x >= out.x && in.y >= out.y && in.x + in.w <= out.x + out.w && in.y + in.h <= out.y + out.h;
    };
    const cli::Box axis = box("select vertex by axis", tk::Kind::GroupBox);
    EXPECT_TRUE(inside(box("Z>0", tk::Kind::Button), axis));
    EXPECT_TRUE(inside(box("select neighbor", tk::Kind::GroupBox), {0, 0, double(layout.width), double(layout.height)}));
    // Three buttons per row in the axis grid: X<0, X=0, X>0 side by side,
    // Y<0 below X<0 in the same column.
    const cli::Box x0 = box("X<0(&Z)", tk::Kind::Button), x1 = box("X=0(&X)", tk::Kind::Button);
    const cli::Box y0 = box("Y<0", tk::Kind::Button);
    EXPECT_EQ(x0.y, x1.y);
    EXPECT_GT(x1.x, x0.x + x0.w - 1);
    EXPECT_EQ(y0.x, x0.x);
    EXPECT_GT(y0.y, x0.y + x0.h - 1);
    // Columns: the neighbour group right of column 1, Cancel right of it,
    // Cancel three times a button's height.
    const cli::Box neighbor = box("select neighbor", tk::Kind::GroupBox);
    const cli::Box cancel = box("Cancel", tk::Kind::Button);
    EXPECT_GT(neighbor.x, axis.x + axis.w);
    EXPECT_GT(cancel.x, neighbor.x + neighbor.w);
    EXPECT_NEAR(cancel.h, 3 * x0.h, 0.5);
    // All objects lies below "select by index", outside it.
    const cli::Box index = box("select by index", tk::Kind::GroupBox);
    const cli::Box all = box("All objects(&A)", tk::Kind::CheckBox);
    EXPECT_GT(all.y, index.y + index.h - 1);
}

TEST_F(DialogView, PictureShowsButtonsAndCheckBoxStates) {
    store_.PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7").append_child("face").text().set("1");
    const cli::DialogNode dialog = Capture();
    const cli::DialogLayout layout = cli::LayoutDialog(dialog);
    const cli::Surface surface = cli::DecodePng(cli::RenderDialogPng(dialog));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(surface.get()), layout.width);
    EXPECT_EQ(cairo_image_surface_get_height(surface.get()), layout.height);
    const Pixels px{surface.get()};

    std::vector<const cli::DialogNode *> buttons;
    CollectKind(dialog, tk::Kind::Button, buttons);
    for (const auto *b : buttons) {
        const cli::Box &box = layout.boxes.at(b->id);
        const int face = px.Count(box, [](auto c) {
            return c[0] == cli::kButtonFace[0] && c[1] == cli::kButtonFace[1] && c[2] == cli::kButtonFace[2];
        });
        EXPECT_GT(face, box.w * box.h / 3) << b->text;  // filled as a button
        EXPECT_GT(px.Count(box, Dark), 15) << b->text;  // with its label on it
    }
    // The check mark: in (&F)ace's square, not in (&L)ocal's.
    auto square = [&](const std::string &text) {
        const cli::Box &b = layout.boxes.at(FindNode(dialog, text, tk::Kind::CheckBox)->id);
        return cli::Box{b.x, b.y + (b.h - 14) / 2, 16, 16};
    };
    EXPECT_GT(px.Count(square("(&F)ace"), Blue), 8);
    EXPECT_EQ(px.Count(square("(&L)ocal"), Blue), 0);
    // The title bar.
    EXPECT_TRUE(Blue(px.At(layout.width / 2, 3)));
}

// ---------------------------------------------------------------------------
// The program
// ---------------------------------------------------------------------------

using ListAndPicture = ToolTest;

TEST_F(ListAndPicture, ListShowsGroupsShortcutsAndStoredStateAndSavesNothing) {
    Write("quad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    ASSERT_EQ(Tool(QuotedPath("quad.obj") + " --press 'Edge(&E)' --face on --range 0.5").status, 0);
    const std::string settings = clitest::Slurp(dir_ / "settings.xml");
    ASSERT_FALSE(settings.empty());

    const auto ran = Tool("--list");
    ASSERT_EQ(ran.status, 0) << ran.out;
    for (const char *line : {"dialog \"Vexolin\"\n", "\n  group \"select Edge/Ridge\"\n",
                             "\n    button \"Ridge(&R)\"             Alt+R       command 15\n",
                             "\n    button \"Vertex\"                            command 26\n",
                             "\n    button \"Y<0\"                               command 4\n",
                             "\n    check box [x] \"(&F)ace\"           Alt+F       --face\n",
                             "\n    check box [ ] \"(&L)ocal\"          no Alt key  --local\n",
                             "\n    number after \"Range\" = 0.500  (0 to 1000, step 0.01)  --range\n",
                             "\n    integer = 0  (0 to 9999999, step 1)  --index\n",
                             "\n  button \"Cancel\"                              cancels the dialog\n"})
        EXPECT_NE(ran.out.find(line), std::string::npos) << line << "\n" << ran.out;
    // Groups in order, each listed once.
    size_t at = 0;
    for (const char *g : {"select vertex by axis", "select polygon", "select Edge/Ridge", "select by index",
                          "select neighbor", "select duplicated", "Clear"}) {
        const size_t found = ran.out.find("group \"" + std::string(g) + "\"");
        EXPECT_NE(found, std::string::npos) << g;
        EXPECT_GT(found, at) << g;
        at = found;
    }
    EXPECT_EQ(clitest::Slurp(dir_ / "settings.xml"), settings);
}

TEST_F(ListAndPicture, DialogPictureAloneOrWithARun) {
    ASSERT_EQ(Tool("--dialog-png " + QuotedPath("alone.png")).status, 0);
    EXPECT_FALSE(fs::exists(dir_ / "settings.xml"));  // nothing saved
    const cli::Surface alone = cli::DecodePng(clitest::Slurp(dir_ / "alone.png"));
    ASSERT_NE(alone, nullptr);
    EXPECT_GT(cairo_image_surface_get_width(alone.get()), 400);

    Write("quad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    const auto ran = Tool(QuotedPath("quad.obj") + " --press 'Edge(&E)' --dialog-png " + QuotedPath("run.png"));
    ASSERT_EQ(ran.status, 0) << ran.out;
    EXPECT_NE(ran.out.find("dialog picture written to " + PathOf("run.png")), std::string::npos) << ran.out;
    EXPECT_NE(cli::DecodePng(clitest::Slurp(dir_ / "run.png")), nullptr);

    // A run that fails writes no picture.
    const auto failed =
        Tool(QuotedPath("missing.obj") + " --press 'Edge(&E)' --dialog-png " + QuotedPath("failed.png"));
    EXPECT_EQ(failed.status, 2) << failed.out;
    EXPECT_FALSE(fs::exists(dir_ / "failed.png"));
}

TEST_F(ListAndPicture, ListRefusesWhatWouldChangeSomething) {
    for (const char *args : {"--list --press 'Edge(&E)'", "--list --face on", "--list x.obj", "--dialog-png d.png --batch"}) {
        const auto ran = Tool(args);
        EXPECT_EQ(ran.status, 2) << args << "\n" << ran.out;
        EXPECT_NE(ran.out.find("changes nothing, so it takes no"), std::string::npos) << args << "\n" << ran.out;
    }
}

} // namespace
