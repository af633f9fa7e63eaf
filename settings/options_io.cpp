// The eight persisted options of the plug-in object, moved between the
// host's settings store and the options record.
#include <memory>

#include "plugin/vexolin.h"
#include "settings/mq_setting.h"

void Vexolin::LoadSettings() {
    const std::unique_ptr<MQSetting> setting(OpenSetting());
    // No settings element: every option keeps its current value.
    if (!setting) return;
    setting->Load("face", face, false);
    setting->Load("local", local, false);
    setting->Load("range", range, 0.001f);
    // True when absent, although a new plug-in object starts with false.
    setting->Load("suppl", suppl, true);
    setting->Load("angle1", angle1, 0.0f);
    setting->Load("angle2", angle2, 90.0f);
    setting->Load("PosX", PosX, -1);
    setting->Load("PosY", PosY, -1);
}

void Vexolin::SaveSettings() {
    const std::unique_ptr<MQSetting> setting(OpenSetting());
    if (!setting) return;
    // Each save appends its key last, so the section ends up in this order.
    setting->Save("face", face);
    setting->Save("local", local);
    setting->Save("suppl", suppl);
    setting->Save("range", range);
    setting->Save("angle1", angle1);
    setting->Save("angle2", angle2);
    setting->Save("PosX", PosX);
    setting->Save("PosY", PosY);
}
