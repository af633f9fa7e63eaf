#include "standin/cli/dialog_commands.h"

#include <gtest/gtest.h>

#include "standin/cli/obj_loader.h"
#include "standin/cli/plugin_run.h"

namespace {

using vexcli::InputError;

std::string Message(const std::function<void()> &f) {
    try {
        f();
    } catch (const InputError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(DialogCommands, LabelsAndGroupsFindTheirCommandNumbers) {
    EXPECT_EQ(vexcli::FindCommand("Ridge(&R)", "").number, 15);
    EXPECT_EQ(vexcli::FindCommand("Vertex", "Clear").number, 26);
    EXPECT_EQ(vexcli::FindCommand("Vertex", "select by index").number, 29);
    EXPECT_EQ(vexcli::FindCommand("Face", "select by index").number, 30);
    int n = 0;
    for (const auto &c : vexcli::DialogCommands()) EXPECT_EQ(c.number, ++n);
}

TEST(DialogCommands, UnknownOrAmbiguousLabelsListTheChoices) {
    const std::string unknown = Message([] { vexcli::FindCommand("Ridge", ""); });
    EXPECT_EQ(unknown.rfind("unknown button \"Ridge\"; the buttons are \"X<0(&Z)\"", 0), 0u) << unknown;
    EXPECT_NE(unknown.find("\"Ridge(&R)\""), std::string::npos);
    EXPECT_NE(unknown.find("\"Vertex\" (group \"Clear\")"), std::string::npos);
    EXPECT_NE(Message([] { vexcli::FindCommand("Vertex", ""); }).find("more than one group"), std::string::npos);
    EXPECT_NE(Message([] { vexcli::FindCommand("Vertex", "Polygons"); }).find("unknown group \"Polygons\""),
              std::string::npos);
    EXPECT_NE(Message([] { vexcli::FindCommand("Ridge(&R)", "Clear"); }).find("in group \"Clear\""),
              std::string::npos);
}

TEST(DialogCommands, AltKeysChooseCommandsOrToggleSwitches) {
    EXPECT_EQ(vexcli::FindAltKey("r").command->number, 15);
    EXPECT_EQ(vexcli::FindAltKey("1").command->number, 25);
    EXPECT_STREQ(vexcli::FindAltKey("F").toggles, "(&F)ace");
    EXPECT_EQ(vexcli::FindAltKey("A").command, nullptr);
    EXPECT_NE(Message([] { vexcli::FindAltKey("L"); }).find("Alt+L does nothing"), std::string::npos);
    EXPECT_NE(Message([] { vexcli::FindAltKey("RR"); }).find("Alt+RR does nothing"), std::string::npos);

    vexcli::DialogChoice choice;
    choice.altKeys = {"F", "e"};
    EXPECT_EQ(vexcli::ChosenCommand(choice).number, 14);
    choice.altKeys = {"E", "F"};
    EXPECT_NE(Message([&] { vexcli::ChosenCommand(choice); }).find("nothing after it would happen"), std::string::npos);
    choice.altKeys = {"F"};
    EXPECT_NE(Message([&] { vexcli::ChosenCommand(choice); }).find("no command chosen"), std::string::npos);
}

TEST(DialogCommands, OptionValuesOutsideTheDialogsLimitsAreRefused) {
    vexcli::DialogOptions o;
    o.range = -0.5;
    EXPECT_NE(Message([&] { vexcli::CheckOptions(o, false); }).find("invalid range"), std::string::npos);
    o = {};
    o.angle1 = 270;
    EXPECT_NE(Message([&] { vexcli::CheckOptions(o, false); }).find("invalid angle1"), std::string::npos);
    EXPECT_EQ(Message([&] { vexcli::CheckOptions(o, true); }), "(no error)");
    o.angle2 = -10;
    EXPECT_NE(Message([&] { vexcli::CheckOptions(o, true); }).find("invalid angle2"), std::string::npos);
    o = {};
    o.index = -1;
    EXPECT_NE(Message([&] { vexcli::CheckOptions(o, true); }).find("invalid index -1"), std::string::npos);
    EXPECT_TRUE(vexcli::ParseSwitch("On", "--face"));
    EXPECT_FALSE(vexcli::ParseSwitch("0", "--face"));
    EXPECT_EQ(Message([] { vexcli::ParseSwitch("maybe", "--local"); }), "invalid value 'maybe' for --local: use on or off");
}

} // namespace
