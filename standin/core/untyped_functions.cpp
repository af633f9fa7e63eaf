// The host functions the plug-in binds by name but never calls: present, so
// that binding succeeds, and harmless: each returns 0 and changes nothing.
// Calls use the C convention, in which the caller removes its own
// arguments, so a call with any arguments returns safely.
#include "abi/mq_host_declarations.h"

#define MQ_HOST_UNTYPED(name) \
    extern "C" int MQ_CALL name(void) { return 0; }
#define MQ_HOST_TYPED(ret, name, params)
#define MQ_HOST_AGAIN(name)
#include "abi/mq_host_functions.inc"
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_TYPED
#undef MQ_HOST_AGAIN
