#include "tests/support/plugin_module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace testsupport {

PluginModule::PluginModule(const std::string &path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return;
#define MQ_EXPORT_BIND(ret, name, params) name = reinterpret_cast<name##_fn>(dlsym(handle_, #name));
    MQ_PLUGIN_EXPORTS(MQ_EXPORT_BIND)
#undef MQ_EXPORT_BIND
}

PluginModule::~PluginModule() {
    // The module stays loaded for the life of the process, as in the
    // modeller: the plug-in object is destroyed at process exit.
}

void *PluginModule::Symbol(const char *name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

PluginModule &BoundPlugin() {
    static PluginModule module;
    EXPECT_TRUE(module.Loaded()) << dlerror();
    if (module.Loaded()) {
        EXPECT_EQ(module.MQCheckVersion(0x4400), 0x440u);
        EXPECT_EQ(module.MQInit(STANDIN_HOST_PATH), 1);
    }
    return module;
}

} // namespace testsupport
