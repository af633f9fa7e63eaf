#include "standin/cli/dialog_commands.h"

#include <gtest/gtest.h>

#include "standin/cli/obj_loader.h"
#include "standin/cli/plugin_run.h"

namespace cli = standin::cli;

namespace {

using cli::InputError;

std::string Message(const std::function<void()> &f) {
    try {
        f();
    } catch (const InputError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(DialogCommands, LabelsAndGroupsFindTheirCommandNumbers) {
    EXPECT_EQ(cli::FindCommand("Ridge(&R)", "").number, 15);
    EXPECT_EQ(cli::FindCommand("Vertex", "Clear").number, 26);
    EXPECT_EQ(cli::FindCommand("Vertex", "select by index").number, 29);
    EXPECT_EQ(cli::FindCommand("Face", "select by index").number, 30);
    int n = 0;
    for (const auto &c : cli::DialogCommands()) EXPECT_EQ(c.number, ++n);
}

TEST(DialogCommands, UnknownOrAmbiguousLabelsListTheChoices) {
    const std::string unknown = Message([] { cli::FindCommand("Ridge", ""); });
    EXPECT_EQ(unknown.rfind("unknown button \"Ridge\"; the buttons are \"X<0(&Z)\"", 0), 0u) << unknown;
    EXPECT_NE(unknown.find("\"Ridge(&R)\""), std::string::npos);
    EXPECT_NE(unknown.find("\"Vertex\" (group \"Clear\")"), std::string::npos);
    EXPECT_NE(Message([] { cli::FindCommand("Vertex", ""); }).find("more than one group"), std::string::npos);
    EXPECT_NE(Message([] { cli::FindCommand("Vertex", "Polygons"); }).find("unknown group \"Polygons\""),
              std::string::npos);
    EXPECT_NE(Message([] { cli::FindCommand("Ridge(&R)", "Clear"); }).find("in group \"Clear\""), std::string::npos);
}

TEST(DialogCommands, AltKeysChooseCommandsOrToggleSwitches) {
    EXPECT_EQ(cli::FindAltKey("r").command->number, 15);
    EXPECT_EQ(cli::FindAltKey("1").command->number, 25);
    EXPECT_STREQ(cli::FindAltKey("F").toggles, "(&F)ace");
    EXPECT_EQ(cli::FindAltKey("A").command, nullptr);
    EXPECT_NE(Message([] { cli::FindAltKey("L"); }).find("Alt+L does nothing"), std::string::npos);
    EXPECT_NE(Message([] { cli::FindAltKey("RR"); }).find("Alt+RR does nothing"), std::string::npos);

    cli::DialogChoice choice;
    choice.altKeys = {"F", "e"};
    EXPECT_EQ(cli::ChosenCommand(choice).number, 14);
    choice.altKeys = {"E", "F"};
    EXPECT_NE(Message([&] { cli::ChosenCommand(choice); }).find("nothing after it would happen"), std::string::npos);
    choice.altKeys = {"F"};
    EXPECT_NE(Message([&] { cli::ChosenCommand(choice); }).find("no command chosen"), std::string::npos);
}

TEST(DialogCommands, OptionValuesOutsideTheDialogsLimitsAreRefused) {
    cli::DialogOptions o;
    o.range = -0.5;
    EXPECT_NE(Message([&] { cli::CheckOptions(o, false); }).find("invalid range"), std::string::npos);
    o = {};
    o.angle1 = 270;
    EXPECT_NE(Message([&] { cli::CheckOptions(o, false); }).find("invalid angle1"), std::string::npos);
    EXPECT_EQ(Message([&] { cli::CheckOptions(o, true); }), "(no error)");
    o.angle2 = -10;
    EXPECT_NE(Message([&] { cli::CheckOptions(o, true); }).find("invalid angle2"), std::string::npos);
    o = {};
    o.index = -1;
    EXPECT_NE(Message([&] { cli::CheckOptions(o, true); }).find("invalid index -1"), std::string::npos);
    EXPECT_TRUE(cli::ParseSwitch("On", "--face"));
    EXPECT_FALSE(cli::ParseSwitch("0", "--face"));
    EXPECT_EQ(Message([] { cli::ParseSwitch("maybe", "--local"); }),
              "invalid value 'maybe' for --local: use on or off");
}

} // namespace
