// The host API table: one entry per host function, filled by name when the
// host calls MQInit and only read afterwards.
//
// The rest of the plug-in calls the host through the functions below, which
// carry the host functions' own names (hostapi::MQDoc_GetObjectCount(doc));
// nothing outside host/ touches the table itself.
#pragma once

#include "abi/mq_abi.h"
#include "host/module_loader.h"

namespace hostapi {

// The table. Entries the plug-in calls are typed; the others are kept as
// untyped pointers, present only so that a host lacking them is refused.
struct HostTable {
#define MQ_HOST_TYPED(ret, name, params) name##_fn name = nullptr;
#define MQ_HOST_UNTYPED(name) MQUntypedHostFunction name = nullptr;
#define MQ_HOST_AGAIN(name)
#include "abi/mq_host_functions.inc"
#undef MQ_HOST_TYPED
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN
};

// Number of names in the table and number of lookups Bind makes.
inline constexpr int kHostFunctionCount = 177;
inline constexpr int kHostLookupCount = 178;

// Binds the table to the module `fileName`: loads it, looks every name up in
// list order, stops at the first name that is missing, and releases the
// module both on failure and on success (the host keeps its own module
// loaded). Returns true when every lookup succeeded. Entries filled before a
// failure keep their values; the table must then not be used.
bool Bind(const char *fileName, const ModuleLoader &loader = SystemModuleLoader());

// True once Bind has succeeded.
bool IsBound();

// The table, read-only. Exposed for tests that check the binding.
const HostTable &Table();

// Calls of the host functions the plug-in uses, by their host names.
#define MQ_HOST_TYPED(ret, name, params)                                   \
    template <class... Args> inline ret name(Args... args) {                \
        return Table().name(args...);                                       \
    }
#define MQ_HOST_UNTYPED(name)
#define MQ_HOST_AGAIN(name)
#include "abi/mq_host_functions.inc"
#undef MQ_HOST_TYPED
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN

} // namespace hostapi
