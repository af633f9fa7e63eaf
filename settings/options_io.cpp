#include "settings/options_io.h"

#include "settings/mq_setting.h"

namespace settings {

void LoadOptions(MQSetting *setting, vexolin::Options &options) {
    // No settings element: every option keeps its current value.
    if (setting == nullptr) return;
    setting->Load("face", options.face, false);
    setting->Load("local", options.local, false);
    setting->Load("range", options.range, 0.001f);
    // True when absent, although a new plug-in object starts with false.
    setting->Load("suppl", options.suppl, true);
    setting->Load("angle1", options.angle1, 0.0f);
    setting->Load("angle2", options.angle2, 90.0f);
    setting->Load("PosX", options.PosX, -1);
    setting->Load("PosY", options.PosY, -1);
}

void SaveOptions(MQSetting *setting, const vexolin::Options &options) {
    if (setting == nullptr) return;
    // Each save appends its key last, so the section ends up in this order.
    setting->Save("face", options.face);
    setting->Save("local", options.local);
    setting->Save("suppl", options.suppl);
    setting->Save("range", options.range);
    setting->Save("angle1", options.angle1);
    setting->Save("angle2", options.angle2);
    setting->Save("PosX", options.PosX);
    setting->Save("PosY", options.PosY);
}

} // namespace settings
