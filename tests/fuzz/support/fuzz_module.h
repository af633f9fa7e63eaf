// The real plug-in module for the targets that drive it: loaded by path once
// per process, version-checked and bound to the stand-in host, as the
// modeller does at start-up. A module that cannot be loaded or bound stops
// the run with a message, since no input could then be tried.
#pragma once

#include "tests/fuzz/support/fuzz_support.h"
#include "tests/support/plugin_module.h"

namespace fuzzsupport {

inline testsupport::PluginModule &BoundModule() {
    static testsupport::PluginModule module;
    static const bool ready = [] {
        FUZZ_CHECK(module.Loaded(), "cannot load %s", VEXOLIN_MODULE_PATH);
        FUZZ_CHECK(module.MQCheckVersion(0x4400) == 0x440u, "the module refuses the host version");
        FUZZ_CHECK(module.MQInit(STANDIN_HOST_PATH) == 1, "the module cannot bind %s", STANDIN_HOST_PATH);
        return true;
    }();
    (void)ready;
    return module;
}

} // namespace fuzzsupport
