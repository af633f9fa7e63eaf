// The dialog listed as text: its commands and options, one per line, with
// the Alt key and the command-line option that act on each.
#include "standin/cli/dialog_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "commands/options.h"
#include "standin/cli/dialog_commands.h"
#include "standin/cli/dialog_view_parts.h"
#include "standin/cli/obj_loader.h"

namespace standin::cli {

namespace tk = standin::toolkit;

std::string FormatNumber(double v, int decimals) {
    char buffer[64];
    if (decimals >= 0) std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 15), v);
    else if (v == std::floor(v) && std::fabs(v) < 1e15) std::snprintf(buffer, sizeof buffer, "%.0f", v);
    else std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

namespace {

std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

std::string Pad(std::string s, size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s + "  ";
}

// The Alt key that really acts on this widget: the label's mnemonic, when
// the dialog's key handler knows it for the same label.
std::string AltOf(const std::string &label) {
    const char m = Mnemonic(label);
    if (m == 0) return {};
    try {
        const AltKey key = FindAltKey(std::string(1, m));
        const char *target = key.command != nullptr ? key.command->label : key.toggles;
        if (target != nullptr && label == target) return std::string("Alt+") + m;
    } catch (const InputError &) {
    }
    return "no Alt key";
}

// The command-line option that sets a control, by what precedes it.
std::string OptionOf(const DialogNode &node, const std::string &labelBefore, const std::string &group) {
    if (node.kind == tk::Kind::CheckBox) {
        if (node.text == vexolin::kFaceSwitch.label) return "--face";
        if (node.text == vexolin::kLocalSwitch.label) return "--local";
        if (node.text == vexolin::kSupplementSwitch.label) return "--supplement";
        if (node.text == vexolin::kAllObjectsSwitch.label) return "--all-objects";
        return {};
    }
    if (labelBefore == vexolin::kRangeLabel) return "--range";
    if (labelBefore == vexolin::kAngleLabel) return "--angle1";
    if (labelBefore == vexolin::kAngleToLabel) return "--angle2";
    if (group == vexolin::kIndexGroup && node.kind == tk::Kind::SpinBox) return "--index";
    return {};
}

void ListNode(const DialogNode &node, int depth, const std::string &group, const std::string &labelBefore,
              std::string &out) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    auto children = [&](int childDepth, const std::string &childGroup) {
        std::string before;
        for (const DialogNode &c : node.children) {
            ListNode(c, childDepth, childGroup, before, out);
            before = c.kind == tk::Kind::Label ? c.text : std::string();
        }
    };
    switch (node.kind) {
    case tk::Kind::MainWindow:
    case tk::Kind::Frame: children(depth, group); return;
    case tk::Kind::Dialog:
        out += "dialog " + Quoted(node.text) + "\n";
        children(depth + 1, {});
        return;
    case tk::Kind::GroupBox:
        out += indent + "group " + Quoted(node.text) + "\n";
        children(depth + 1, node.text);
        return;
    case tk::Kind::Label: out += indent + "label " + Quoted(node.text) + "\n"; return;
    case tk::Kind::Button: {
        std::string line = indent + "button " + Pad(Quoted(node.text), 26 - indent.size());
        std::string what;
        if (node.Bool("cancel").value_or(false)) {
            what = "cancels the dialog";
        } else {
            try {
                const DialogCommand &c = FindCommand(node.text, group);
                what = "command " + std::to_string(c.number);
            } catch (const InputError &) {
                what = "modal result " + std::to_string(node.Int("modalresult").value_or(0));
            }
        }
        line += Pad(AltOf(node.text), 10) + what;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
        return;
    }
    case tk::Kind::CheckBox: {
        std::string line = indent + "check box " + (node.Bool("checked").value_or(false) ? "[x] " : "[ ] ") +
                           Pad(Quoted(node.text), 22 - indent.size());
        line += Pad(AltOf(node.text), 10) + OptionOf(node, labelBefore, group);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
        return;
    }
    case tk::Kind::SpinBox:
    case tk::Kind::DoubleSpinBox: {
        const bool isDouble = node.kind == tk::Kind::DoubleSpinBox;
        const int decimals = isDouble ? node.Int("decimaldigit").value_or(2) : 0;
        std::string line = indent + (isDouble ? "number " : "integer ");
        if (!labelBefore.empty()) line += "after " + Quoted(labelBefore) + " ";
        line += "= " + FormatNumber(node.Number("position").value_or(0), decimals);
        line += "  (" + FormatNumber(node.Number("min").value_or(0), -1) + " to " +
                FormatNumber(node.Number("max").value_or(0), -1);
        if (const auto step = node.Number("increment")) line += ", step " + FormatNumber(*step, -1);
        line += ")";
        if (const std::string option = OptionOf(node, labelBefore, group); !option.empty()) line += "  " + option;
        out += line + "\n";
        return;
    }
    }
}

} // namespace

std::string ListDialog(const DialogNode &dialog) {
    std::string out;
    ListNode(dialog, 0, {}, {}, out);
    return out;
}

} // namespace standin::cli
