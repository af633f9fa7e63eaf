#include "host/host_api.h"

namespace hostapi {
namespace {

HostTable g_table;
bool g_bound = false;

template <class Entry> void Store(Entry &entry, void *address) {
    // Object pointer to function pointer: what dlsym and GetProcAddress hand
    // out is the address of a function with the host's signature for `entry`.
    entry = reinterpret_cast<Entry>(address);
}

} // namespace

bool Bind(const char *fileName, const ModuleLoader &loader) {
    g_bound = false;
    void *module = loader.load(fileName);
    if (module == nullptr) return false;

    // One statement per lookup, in list order; the first miss ends the walk.
#define MQ_HOST_LOOKUP(name)                                    \
    {                                                           \
        void *address = loader.lookup(module, #name);           \
        if (address == nullptr) {                               \
            loader.release(module);                             \
            return false;                                       \
        }                                                       \
        Store(g_table.name, address);                           \
    }
#define MQ_HOST_TYPED(ret, name, params) MQ_HOST_LOOKUP(name)
#define MQ_HOST_UNTYPED(name) MQ_HOST_LOOKUP(name)
#define MQ_HOST_AGAIN(name) MQ_HOST_LOOKUP(name)
#include "abi/mq_host_functions.inc"
#undef MQ_HOST_TYPED
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN
#undef MQ_HOST_LOOKUP

    loader.release(module);
    g_bound = true;
    return true;
}

bool IsBound() { return g_bound; }

const HostTable &Table() { return g_table; }

} // namespace hostapi
