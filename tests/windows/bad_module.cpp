// A module that breaks every rule the table check enforces: an export beyond
// the fourteen, and the C++ runtime imported from its DLL. The check must
// reject it.
#include <string>

extern "C" __declspec(dllexport) int MQInit(const char *name) { return std::string(name).size() > 3 ? 1 : 0; }
extern "C" __declspec(dllexport) int ExtraExport(void) { return 2; }
