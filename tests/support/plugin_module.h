// The real plug-in module, loaded by path and bound by its export names, as
// the modeller loads it.
#pragma once

#include <set>
#include <string>

#include "abi/mq_abi.h"

namespace testsupport {

class PluginModule {
public:
    explicit PluginModule(const std::string &path = VEXOLIN_MODULE_PATH);
    ~PluginModule();
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // Looks up any symbol of the module; null when it is not exported.
    void *Symbol(const char *name) const;

#define MQ_EXPORT_POINTER(ret, name, params) name##_fn name = nullptr;
    MQ_PLUGIN_EXPORTS(MQ_EXPORT_POINTER)
#undef MQ_EXPORT_POINTER

private:
    void *handle_ = nullptr;
};

// The names a module file exports, as the system loader sees them: the
// defined dynamic symbols of a shared object (nm -D), or the export name
// table of a Windows DLL. Empty when the file cannot be read.
std::set<std::string> ModuleExportNames(const std::string &path);

// Loads the module and binds it to the stand-in host; fails the test on error.
PluginModule &BoundPlugin();

} // namespace testsupport
