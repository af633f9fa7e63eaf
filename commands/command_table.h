// The thirty commands of the dialog, named once: their numbers (stored in
// the options and shown nowhere else), button labels, groups, Alt keys and
// the family of selection code that carries each out. The dispatcher, the
// dialog and its shortcuts, the benchmarks, the tests and the stand-in
// host's command line all read this table.
//
// This room is header-only constexpr data that depends on the standard
// library alone, and it is the lowest room of the plug-in: any room may
// include it, and so may the stand-in host, which must never link plug-in
// code (it only links abi/). Nothing here calls the host or allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vexolin {

// The commands by name; the value is the stored command number.
enum class Command : int32_t {
    XBelow = 1, // vertices with x < 0 (within the range)
    XOn = 2,
    XAbove = 3,
    YBelow = 4,
    YOn = 5,
    YAbove = 6,
    ZBelow = 7,
    ZOn = 8,
    ZAbove = 9,
    FiveOrMorePoints = 10, // faces by their number of points
    FourPoints = 11,
    ThreePoints = 12,
    TwoPoints = 13,
    Edge = 14,  // border lines
    Ridge = 15, // lines where two faces bend inside the angle window
    VertexToFaceAny = 16,
    VertexToFaceAll = 17,
    LineToVertex = 18,
    FaceToVertex = 19,
    VertexToLineAny = 20,
    VertexToLineAll = 21,
    FaceToLine = 22,
    TwoLinesToFace = 23,
    FaceToDuplicateVertex = 24,
    LineToDuplicateVertex = 25,
    ClearVertices = 26,
    ClearFaces = 27,
    ClearLines = 28,
    VertexByIndex = 29,
    FaceByIndex = 30,
};

// Which selection code carries a command out. Each family is one group box
// of the dialog.
enum class Family : uint8_t {
    Axis,      // 1-9, select/axis
    Polygon,   // 10-13, select/polygon
    EdgeRidge, // 14-15, select/edge and select/ridge
    Neighbor,  // 16-23, select/conversions
    Duplicate, // 24-25, select/duplicates
    Clear,     // 26-28, select/clear
    Index,     // 29-30, select/index
};

struct CommandInfo {
    Command command;
    int32_t number;
    const char *label; // the button's text, ASCII; "(&K)" marks the Alt key
    const char *group; // the group box around the button
    char altKey;       // Alt+key chooses the command; 0 for none
    Family family;
};

// The group boxes' texts.
inline constexpr const char kAxisGroup[] = "select vertex by axis";
inline constexpr const char kPolygonGroup[] = "select polygon";
inline constexpr const char kEdgeRidgeGroup[] = "select Edge/Ridge";
inline constexpr const char kNeighborGroup[] = "select neighbor";
inline constexpr const char kDuplicateGroup[] = "select duplicated";
inline constexpr const char kClearGroup[] = "Clear";
inline constexpr const char kIndexGroup[] = "select by index";

// In command-number order: kCommands[n - 1] is command n.
inline constexpr std::array<CommandInfo, 30> kCommands = {{
    {Command::XBelow, 1, "X<0(&Z)", kAxisGroup, 'Z', Family::Axis},
    {Command::XOn, 2, "X=0(&X)", kAxisGroup, 'X', Family::Axis},
    {Command::XAbove, 3, "X>0(&C)", kAxisGroup, 'C', Family::Axis},
    {Command::YBelow, 4, "Y<0", kAxisGroup, 0, Family::Axis},
    {Command::YOn, 5, "Y=0", kAxisGroup, 0, Family::Axis},
    {Command::YAbove, 6, "Y>0", kAxisGroup, 0, Family::Axis},
    {Command::ZBelow, 7, "Z<0", kAxisGroup, 0, Family::Axis},
    {Command::ZOn, 8, "Z=0", kAxisGroup, 0, Family::Axis},
    {Command::ZAbove, 9, "Z>0", kAxisGroup, 0, Family::Axis},
    {Command::FiveOrMorePoints, 10, "5(&5)", kPolygonGroup, '5', Family::Polygon},
    {Command::FourPoints, 11, "4(&4)", kPolygonGroup, '4', Family::Polygon},
    {Command::ThreePoints, 12, "3(&3)", kPolygonGroup, '3', Family::Polygon},
    {Command::TwoPoints, 13, "2(&2)", kPolygonGroup, '2', Family::Polygon},
    {Command::Edge, 14, "Edge(&E)", kEdgeRidgeGroup, 'E', Family::EdgeRidge},
    {Command::Ridge, 15, "Ridge(&R)", kEdgeRidgeGroup, 'R', Family::EdgeRidge},
    {Command::VertexToFaceAny, 16, "Vertex -> Face(&W)", kNeighborGroup, 'W', Family::Neighbor},
    {Command::VertexToFaceAll, 17, "Vertex => Face(&S)", kNeighborGroup, 'S', Family::Neighbor},
    {Command::LineToVertex, 18, "Line => Vertex(&D)", kNeighborGroup, 'D', Family::Neighbor},
    {Command::FaceToVertex, 19, "Face => Vertex(&G)", kNeighborGroup, 'G', Family::Neighbor},
    {Command::VertexToLineAny, 20, "Vertex -> Line(&T)", kNeighborGroup, 'T', Family::Neighbor},
    {Command::VertexToLineAll, 21, "Vertex => Line(&Y)", kNeighborGroup, 'Y', Family::Neighbor},
    {Command::FaceToLine, 22, "Face => Line(&H)", kNeighborGroup, 'H', Family::Neighbor},
    {Command::TwoLinesToFace, 23, "2Line -> Face(&B)", kNeighborGroup, 'B', Family::Neighbor},
    {Command::FaceToDuplicateVertex, 24, "Face => Dup Vertex(&Q)", kDuplicateGroup, 'Q', Family::Duplicate},
    {Command::LineToDuplicateVertex, 25, "Line => Dup Vertex(&1)", kDuplicateGroup, '1', Family::Duplicate},
    {Command::ClearVertices, 26, "Vertex", kClearGroup, 0, Family::Clear},
    {Command::ClearFaces, 27, "Face", kClearGroup, 0, Family::Clear},
    {Command::ClearLines, 28, "Line", kClearGroup, 0, Family::Clear},
    {Command::VertexByIndex, 29, "Vertex", kIndexGroup, 0, Family::Index},
    {Command::FaceByIndex, 30, "Face", kIndexGroup, 0, Family::Index},
}};

// The dialog's check boxes. An Alt key toggles the first two instead of
// choosing a command; the other two have none (the "(&L)" in "(&L)ocal"
// marks no key the dialog handles).
struct SwitchInfo {
    const char *label;
    char altKey;
};
inline constexpr SwitchInfo kAllObjectsSwitch = {"All objects(&A)", 'A'};
inline constexpr SwitchInfo kFaceSwitch = {"(&F)ace", 'F'};
inline constexpr SwitchInfo kLocalSwitch = {"(&L)ocal", 0};
inline constexpr SwitchInfo kSupplementSwitch = {"Supplement", 0};

constexpr int32_t NumberOf(Command command) { return static_cast<int32_t>(command); }

constexpr const CommandInfo &InfoOf(Command command) {
    return kCommands[static_cast<std::size_t>(NumberOf(command) - 1)];
}

// The command with this stored number; nothing for a number no button has.
constexpr const CommandInfo *FindCommand(int32_t number) {
    if (number < 1 || number > static_cast<int32_t>(kCommands.size())) return nullptr;
    return &kCommands[static_cast<std::size_t>(number - 1)];
}

constexpr std::optional<Family> FamilyOf(int32_t number) {
    const CommandInfo *info = FindCommand(number);
    if (info == nullptr) return std::nullopt;
    return info->family;
}

// The command Alt+key chooses (key in upper case); nothing when it chooses none.
constexpr const CommandInfo *FindAltKey(char key) {
    if (key == 0) return nullptr;
    for (const CommandInfo &info : kCommands)
        if (info.altKey == key) return &info;
    return nullptr;
}

namespace detail {

constexpr bool TableIsConsistent() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        const CommandInfo &c = kCommands[i];
        if (c.number != static_cast<int32_t>(i + 1) || NumberOf(c.command) != c.number) return false;
        const std::string_view label = c.label;
        if (label.empty() || std::string_view(c.group).empty()) return false;
        for (const char ch : label)
            if (static_cast<unsigned char>(ch) >= 0x80) return false; // widened code unit by code unit
        // An Alt key is the letter marked in the label, and belongs to one command.
        if (c.altKey != 0) {
            const char mark[] = {'(', '&', c.altKey, ')', '\0'};
            if (label.find(mark) == std::string_view::npos) return false;
            if (c.altKey == kAllObjectsSwitch.altKey || c.altKey == kFaceSwitch.altKey) return false;
            for (std::size_t j = i + 1; j < kCommands.size(); ++j)
                if (kCommands[j].altKey == c.altKey) return false;
        }
        // Equal labels sit in different groups, so label and group name a button.
        for (std::size_t j = i + 1; j < kCommands.size(); ++j)
            if (label == kCommands[j].label && std::string_view(c.group) == kCommands[j].group) return false;
    }
    return true;
}

} // namespace detail

static_assert(detail::TableIsConsistent(),
              "the command table must be in number order, with ASCII labels, unique Alt keys marked in "
              "their labels, and no two buttons with the same label in one group");

} // namespace vexolin
