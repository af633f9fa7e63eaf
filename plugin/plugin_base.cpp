#include "plugin/plugin_base.h"

#include "settings/mq_setting.h"

MQSetting *MQBasePlugin::OpenSetting() {
    MQDWORD product = 0;
    MQDWORD plugin = 0;
    GetPlugInID(&product, &plugin);
    return settings::OpenPluginSetting(product, plugin);
}
