// Declarations of all 177 host functions, for a host that exports them.
// Defining them against these declarations makes any drift from the
// boundary's signatures a compile error. The functions the plug-in never
// calls are declared without parameters and return 0.
#ifndef VEXOLIN_ABI_MQ_HOST_DECLARATIONS_H
#define VEXOLIN_ABI_MQ_HOST_DECLARATIONS_H

#include "mq_abi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MQ_HOST_TYPED(ret, name, params) MQ_EXPORT ret MQ_CALL name params;
#define MQ_HOST_UNTYPED(name) MQ_EXPORT int MQ_CALL name(void);
#define MQ_HOST_AGAIN(name)
#include "mq_host_functions.inc"
#undef MQ_HOST_TYPED
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN

#ifdef __cplusplus
}
#endif

#endif
