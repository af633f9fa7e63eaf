// A function declared __stdcall where the boundary wants __cdecl: the
// calling-convention check of the 32-bit layout checks must reject it.
#include "abi/win32_layout_checks.h"

extern "C" int __stdcall MQInit(const char *host_module_file_name);
VEXOLIN_CHECK_CDECL(MQInit, int, (const char *));
