#include "standin/cli/dialog_commands.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string_view>

#include "commands/options.h"
#include "standin/cli/obj_loader.h"

namespace standin::cli {
namespace {

using vexolin::kClearGroup;
using vexolin::kCommands;
using vexolin::kIndexGroup;

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

// Each group once, in table order.
std::string GroupNames() {
    std::string out;
    const char *last = nullptr;
    for (const auto &c : kCommands) {
        if (last != nullptr && std::string_view(last) == c.group) continue;
        last = c.group;
        out += out.empty() ? "" : ", ";
        out += "\"" + std::string(c.group) + "\"";
    }
    return out;
}

void CheckRange(const std::optional<double> &value, vexolin::SpinLimits limits, const char *name) {
    if (!value) return;
    const double lo = limits.low, hi = limits.high;
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
        throw InputError("unknown group \"" + group + "\"; the groups are " + GroupNames());
    if (matches > 1)
        throw InputError("button \"" + label + "\" is in more than one group; add --group (\"" + kClearGroup +
                         "\" or \"" + kIndexGroup + "\")");
    if (found == nullptr)
        throw InputError("unknown button \"" + label + "\"" + (group.empty() ? "" : " in group \"" + group + "\"") +
                         "; the buttons are " + ValidLabels());
    return *found;
}

AltKey FindAltKey(const std::string &key) {
    if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
        if (k == vexolin::kAllObjectsSwitch.altKey) return {k, nullptr, vexolin::kAllObjectsSwitch.label};
        if (k == vexolin::kFaceSwitch.altKey) return {k, nullptr, vexolin::kFaceSwitch.label};
        if (const DialogCommand *c = vexolin::FindAltKey(k)) return {k, c, nullptr};
    }
    std::string keys;
    for (const auto &c : kCommands)
        if (c.altKey) keys += std::string(keys.empty() ? "" : " ") + c.altKey;
    throw InputError("Alt+" + key + " does nothing in the dialog; the Alt keys are " + keys +
                     " (commands) and " + vexolin::kAllObjectsSwitch.altKey + " " +
                     vexolin::kFaceSwitch.altKey + " (switches)");
}

void CheckOptions(const DialogOptions &options, bool supplement) {
    CheckRange(options.range, vexolin::kRangeLimits, "range");
    CheckRange(options.angle1, vexolin::AngleLimits(supplement), "angle1");
    CheckRange(options.angle2, vexolin::AngleLimits(supplement), "angle2");
    if (options.index && (*options.index < 0 || *options.index > vexolin::kIndexMax))
        throw InputError("invalid index " + std::to_string(*options.index) + ": the dialog accepts 0 to " +
                         std::to_string(vexolin::kIndexMax));
}

bool ParseSwitch(const std::string &text, const std::string &what) {
    std::string t;
    for (char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "on" || t == "true" || t == "yes" || t == "1") return true;
    if (t == "off" || t == "false" || t == "no" || t == "0") return false;
    throw InputError("invalid value '" + text + "' for " + what + ": use on or off");
}

} // namespace standin::cli
