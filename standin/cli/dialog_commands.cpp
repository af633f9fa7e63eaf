#include "standin/cli/dialog_commands.h"

#include <array>
#include <cctype>
#include <cmath>

#include "standin/cli/obj_loader.h"

namespace vexcli {
namespace {

constexpr const char *kAxis = "select vertex by axis";
constexpr const char *kPolygon = "select polygon";
constexpr const char *kEdge = "select Edge/Ridge";
constexpr const char *kNeighbor = "select neighbor";
constexpr const char *kDuplicated = "select duplicated";
constexpr const char *kClear = "Clear";
constexpr const char *kIndex = "select by index";

constexpr std::array<DialogCommand, 30> kCommands = {{
    {1, "X<0(&Z)", kAxis, 'Z'},
    {2, "X=0(&X)", kAxis, 'X'},
    {3, "X>0(&C)", kAxis, 'C'},
    {4, "Y<0", kAxis, 0},
    {5, "Y=0", kAxis, 0},
    {6, "Y>0", kAxis, 0},
    {7, "Z<0", kAxis, 0},
    {8, "Z=0", kAxis, 0},
    {9, "Z>0", kAxis, 0},
    {10, "5(&5)", kPolygon, '5'},
    {11, "4(&4)", kPolygon, '4'},
    {12, "3(&3)", kPolygon, '3'},
    {13, "2(&2)", kPolygon, '2'},
    {14, "Edge(&E)", kEdge, 'E'},
    {15, "Ridge(&R)", kEdge, 'R'},
    {16, "Vertex -> Face(&W)", kNeighbor, 'W'},
    {17, "Vertex => Face(&S)", kNeighbor, 'S'},
    {18, "Line => Vertex(&D)", kNeighbor, 'D'},
    {19, "Face => Vertex(&G)", kNeighbor, 'G'},
    {20, "Vertex -> Line(&T)", kNeighbor, 'T'},
    {21, "Vertex => Line(&Y)", kNeighbor, 'Y'},
    {22, "Face => Line(&H)", kNeighbor, 'H'},
    {23, "2Line -> Face(&B)", kNeighbor, 'B'},
    {24, "Face => Dup Vertex(&Q)", kDuplicated, 'Q'},
    {25, "Line => Dup Vertex(&1)", kDuplicated, '1'},
    {26, "Vertex", kClear, 0},
    {27, "Face", kClear, 0},
    {28, "Line", kClear, 0},
    {29, "Vertex", kIndex, 0},
    {30, "Face", kIndex, 0},
}};

std::string ValidLabels() {
    std::string out;
    for (const auto &c : kCommands) {
        int same = 0;
        for (const auto &d : kCommands) same += std::string(d.label) == c.label;
        out += out.empty() ? "" : ", ";
        out += "\"" + std::string(c.label) + "\"";
        if (same > 1) out += " (group \"" + std::string(c.group) + "\")";
    }
    return out;
}

void CheckRange(const std::optional<double> &value, double lo, double hi, const char *name) {
    if (!value) return;
    if (!std::isfinite(*value) || *value < lo || *value > hi)
        throw InputError(std::string("invalid ") + name + " " + std::to_string(*value) + ": the dialog accepts " +
                         std::to_string(lo) + " to " + std::to_string(hi));
}

} // namespace

std::span<const DialogCommand> DialogCommands() { return kCommands; }

const DialogCommand &FindCommand(const std::string &label, const std::string &group) {
    const DialogCommand *found = nullptr;
    int matches = 0;
    bool groupKnown = group.empty();
    for (const auto &c : kCommands) {
        if (group == c.group) groupKnown = true;
        if (label != c.label || (!group.empty() && group != c.group)) continue;
        found = &c;
        ++matches;
    }
    if (!groupKnown)
        throw InputError("unknown group \"" + group +
                         "\"; the groups are \"select vertex by axis\", \"select polygon\", \"select Edge/Ridge\", "
                         "\"select by index\", \"select neighbor\", \"select duplicated\", \"Clear\"");
    if (matches > 1)
        throw InputError("button \"" + label + "\" is in more than one group; add --group (\"" + kClear + "\" or \"" +
                         kIndex + "\")");
    if (found == nullptr)
        throw InputError("unknown button \"" + label + "\"" + (group.empty() ? "" : " in group \"" + group + "\"") +
                         "; the buttons are " + ValidLabels());
    return *found;
}

AltKey FindAltKey(const std::string &key) {
    if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
        if (k == 'A') return {k, nullptr, "All objects(&A)"};
        if (k == 'F') return {k, nullptr, "(&F)ace"};
        for (const auto &c : kCommands)
            if (c.altKey == k) return {k, &c, nullptr};
    }
    std::string keys;
    for (const auto &c : kCommands)
        if (c.altKey) keys += std::string(keys.empty() ? "" : " ") + c.altKey;
    throw InputError("Alt+" + key + " does nothing in the dialog; the Alt keys are " + keys +
                     " (commands) and A F (switches)");
}

void CheckOptions(const DialogOptions &options, bool supplement) {
    CheckRange(options.range, 0.0, 1000.0, "range");
    CheckRange(options.angle1, supplement ? 0.0 : -180.0, supplement ? 360.0 : 180.0, "angle1");
    CheckRange(options.angle2, supplement ? 0.0 : -180.0, supplement ? 360.0 : 180.0, "angle2");
    if (options.index && (*options.index < 0 || *options.index > 9999999))
        throw InputError("invalid index " + std::to_string(*options.index) + ": the dialog accepts 0 to 9999999");
}

bool ParseSwitch(const std::string &text, const std::string &what) {
    std::string t;
    for (char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "on" || t == "true" || t == "yes" || t == "1") return true;
    if (t == "off" || t == "false" || t == "no" || t == "0") return false;
    throw InputError("invalid value '" + text + "' for " + what + ": use on or off");
}

} // namespace vexcli
