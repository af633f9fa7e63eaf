#include "host/module_loader.h"

#include <windows.h>

namespace hostapi {
namespace {

void *Load(const char *fileName) {
    if (fileName == nullptr) return nullptr;
    return reinterpret_cast<void *>(LoadLibraryA(fileName));
}

void *Lookup(void *module, const char *name) {
    // FARPROC to an object pointer: the entries are cast back to their
    // function types by the table before any call.
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void Release(void *module) { FreeLibrary(static_cast<HMODULE>(module)); }

} // namespace

const ModuleLoader &SystemModuleLoader() {
    static const ModuleLoader loader{Load, Lookup, Release};
    return loader;
}

} // namespace hostapi
