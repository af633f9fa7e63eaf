// The options record: what the dialog shows and the user chose, which the
// settings store keeps between sessions and every command reads. Plain data:
// the plug-in object owns one, settings/ loads and saves it, ui/ fills it
// from the dialog, and the dispatcher hands it to the selection commands.
// Beside it, named once: the labels of the dialog's option fields, the
// limits of its spin boxes, and what an option is when the settings store
// holds no value for it. The dialog, the settings, the stand-in host's
// command line and the tests read them from here.
#pragma once

#include <cstdint>

namespace vexolin {

struct Options {
    bool face = false;       // axis commands: also faces wholly on the chosen side
    bool allObjects = false; // run on every unlocked object (not persisted)
    bool local = false;      // axis commands: test positions in object coordinates
    bool suppl = false;      // edge/ridge: the angle window is supplementary
    float range = 0.001f;    // axis commands: tolerance
    float angle1 = 0.0f;     // edge/ridge: angle window, degrees
    float angle2 = 90.0f;
    int32_t selectIndex = 0; // select by index (not persisted)
    int32_t PosX = -1;       // the dialog's position; -1: where the toolkit puts it
    int32_t PosY = -1;
    int32_t commandNumber = 0; // the chosen command (commands/command_table.h); 0: none yet
};

// What an option loads as when the settings store holds no value for it:
// the record's own defaults, except "Supplement", which loads as on
// although a new plug-in object starts with it off.
inline constexpr Options kUnstoredOptions = [] {
    Options o;
    o.suppl = true;
    return o;
}();

// The labels before the option spin boxes: "Range" [range], "Angle"
// [angle1] "->" [angle2].
inline constexpr const char kRangeLabel[] = "Range";
inline constexpr const char kAngleLabel[] = "Angle";
inline constexpr const char kAngleToLabel[] = "->";

// The values a spin box takes; it clamps what is typed into them.
struct SpinLimits {
    double low;
    double high;
};
inline constexpr SpinLimits kRangeLimits = {0.0, 1000.0};
// The angle window: -180 to 180 degrees, or 0 to 360 with "Supplement" on.
constexpr SpinLimits AngleLimits(bool supplement) {
    return supplement ? SpinLimits{0.0, 360.0} : SpinLimits{-180.0, 180.0};
}
// The index spin box: 0 to this (it has no minimum of its own set).
inline constexpr int32_t kIndexMax = 9999999;

} // namespace vexolin
