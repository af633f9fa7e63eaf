// Loading a module by file name and looking up its exports: LoadLibraryA,
// GetProcAddress and FreeLibrary on Windows, dlopen, dlsym and dlclose
// elsewhere. Kept behind a record of three functions so that the binding can
// be exercised with a counting loader in tests.
#pragma once

namespace hostapi {

struct ModuleLoader {
    // Returns the module, or null when it cannot be loaded.
    void *(*load)(const char *fileName);
    // Returns the named export, or null when the module has none.
    void *(*lookup)(void *module, const char *name);
    // Drops one reference to the module.
    void (*release)(void *module);
};

// The operating system's loader.
const ModuleLoader &SystemModuleLoader();

} // namespace hostapi
