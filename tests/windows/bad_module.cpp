// A module that breaks every rule the module check enforces: an export
// beyond the fourteen, the C++ runtime imported from its DLL, a TLS callback
// of its own, and (through its link options) no ASLR or DEP flags and the
// console subsystem. The check must reject it.
#include <string>

#include <windows.h>

extern "C" __declspec(dllexport) int MQInit(const char *name) { return std::string(name).size() > 3 ? 1 : 0; }
extern "C" __declspec(dllexport) int ExtraExport(void) { return 2; }

namespace {
void NTAPI ModuleTlsCallback(PVOID, DWORD, PVOID) {}
} // namespace

// The loader calls every entry of the .CRT$XL* array on thread start and end.
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK kModuleTlsCallback = ModuleTlsCallback;
