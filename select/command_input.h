// What a selection command reads from the plug-in's options record.
#pragma once

#include <cstdint>

namespace selection {

struct CommandInput {
    int32_t command = 0;   // 1 to 30
    bool face = false;     // commands 1-9: also faces wholly on the chosen side
    bool allObjects = false;
    bool local = false;    // commands 1-9: test positions in object coordinates
    bool suppl = false;    // commands 14-15: the angle window is supplementary
    float range = 0.001f;  // commands 1-9: tolerance
    float angle1 = 0.0f;   // commands 14-15: angle window, degrees
    float angle2 = 90.0f;
    int32_t selectIndex = 0; // commands 29-30
};

} // namespace selection
