#include "host/module_loader.h"

#include <dlfcn.h>

namespace hostapi {
namespace {

void *Load(const char *fileName) {
    if (fileName == nullptr) return nullptr;
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

void *Lookup(void *module, const char *name) { return dlsym(module, name); }

void Release(void *module) { dlclose(module); }

} // namespace

const ModuleLoader &SystemModuleLoader() {
    static const ModuleLoader loader{Load, Lookup, Release};
    return loader;
}

} // namespace hostapi
