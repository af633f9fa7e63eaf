// The command dialog as the toolkit held it while it ran: a copy of its
// widget tree, taken when the modal run started, listed as text for the
// user and drawn as a picture of its layout.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "standin/toolkit/toolkit.h"

namespace standin::cli {

struct DialogNode {
    int32_t id = 0;
    standin::toolkit::Kind kind = standin::toolkit::Kind::Frame;
    std::string text;  // "text", or "title" of the dialog
    std::map<std::string, standin::toolkit::Value> props;
    std::vector<DialogNode> children;

    std::optional<bool> Bool(const std::string &keyword) const;
    std::optional<int32_t> Int(const std::string &keyword) const;
    // A double property, or an int one widened.
    std::optional<double> Number(const std::string &keyword) const;
    std::string Keyword(const std::string &keyword) const;
};

// Copies the tree below `widget` (included) out of the toolkit.
DialogNode CaptureWidgetTree(int32_t widget);

// The mnemonic character of a label ("Ridge(&R)" -> 'R'), upper-cased; 0
// when there is none. "&&" is a literal ampersand.
char Mnemonic(const std::string &label);
// The label as shown: the mnemonic marks removed.
std::string ShownLabel(const std::string &label);

// The dialog's commands and options, one per line, groups with their
// contents indented, in the tree's order.
std::string ListDialog(const DialogNode &dialog);

// Where each widget lies in the picture, in pixels.
struct Box {
    double x = 0, y = 0, w = 0, h = 0;
};
struct DialogLayout {
    int width = 0, height = 0;
    std::map<int32_t, Box> boxes;  // by widget ID, the dialog included
};
DialogLayout LayoutDialog(const DialogNode &dialog);

// The layout drawn as PNG bytes.
std::string RenderDialogPng(const DialogNode &dialog);

// Colours of the picture, 0..255 RGB, for the picture and its tests.
inline constexpr uint8_t kDialogBackground[3] = {236, 236, 236};
inline constexpr uint8_t kButtonFace[3] = {214, 222, 235};
inline constexpr uint8_t kFieldFace[3] = {255, 255, 255};

} // namespace standin::cli
