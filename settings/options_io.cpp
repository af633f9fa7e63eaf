#include "settings/options_io.h"

#include "settings/mq_setting.h"

namespace settings {

void LoadOptions(MQSetting *setting, vexolin::Options &options) {
    // No settings element: every option keeps its current value.
    if (setting == nullptr) return;
    const vexolin::Options &absent = vexolin::kUnstoredOptions;
    setting->Load("face", options.face, absent.face);
    setting->Load("local", options.local, absent.local);
    setting->Load("range", options.range, absent.range);
    setting->Load("suppl", options.suppl, absent.suppl);
    setting->Load("angle1", options.angle1, absent.angle1);
    setting->Load("angle2", options.angle2, absent.angle2);
    setting->Load("PosX", options.PosX, absent.PosX);
    setting->Load("PosY", options.PosY, absent.PosY);
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
