// The options record: what the dialog shows and the user chose, which the
// settings store keeps between sessions and every command reads. Plain data:
// the plug-in object owns one, settings/ loads and saves it, ui/ fills it
// from the dialog, and the dispatcher hands it to the selection commands.
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

} // namespace vexolin
