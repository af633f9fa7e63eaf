// 32-bit Windows builds with GCC's table-driven (DWARF) exceptions: makes
// sure the module's own unwinder can find the module's unwind tables.
//
// The module links the C++ runtime statically, unwinder included, and its
// exceptions never leave it: the containment guard at every entry catches
// them. The unwinder finds a frame's handler only in the unwind tables that
// were registered with it. GCC's start-up code registers the module's tables
// at load time, but with the shared runtime (libgcc_s_dw2-1.dll) instead of
// the module's own copy whenever that DLL is already loaded in the process,
// as it is when the host, or another plug-in, was built with GCC's shared
// runtime. The module's unwinder then finds no handler for any exception,
// and the runtime ends the process, modeller and unsaved work included.
//
// So, when that DLL is loaded, the tables are also registered with the
// module's own unwinder, and unregistered when the module is unloaded.
#if defined(_WIN32) && defined(__GNUC__) && defined(__i386__) && !defined(__SEH__) && \
    !defined(__USING_SJLJ_EXCEPTIONS__)

#include <windows.h>

#include <cstdint>
#include <cstring>

// The static runtime's registration functions (libgcc). The record they keep
// is opaque here; its size is a few pointers, so this room is ample.
extern "C" void __register_frame_info(const void *begin, void *object);
extern "C" void *__deregister_frame_info(const void *begin);

namespace {

struct FrameRecord {
    void *words[16];
};

FrameRecord g_record;
const void *g_registered = nullptr;

// The module's image, found from an address inside it.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// The start of the module's unwind tables (.eh_frame). The image keeps no
// long section names, so the section is recognised by what it must be: a
// section with a long name (stored as "/n") that stays mapped (debug
// sections are discardable) and starts with a common information entry
// (a length, then the id 0, then version 1).
const void *UnwindTables(HMODULE module) {
    const auto *base = reinterpret_cast<const unsigned char *>(module);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const auto *section = reinterpret_cast<const IMAGE_SECTION_HEADER *>(
        reinterpret_cast<const unsigned char *>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (section->Name[0] != '/') continue;
        if ((section->Characteristics & IMAGE_SCN_MEM_DISCARDABLE) != 0) continue;
        if (section->Misc.VirtualSize < 9) continue;
        const unsigned char *data = base + section->VirtualAddress;
        std::uint32_t length = 0;
        std::uint32_t id = 0;
        std::memcpy(&length, data, sizeof length);
        std::memcpy(&id, data + 4, sizeof id);
        if (length != 0 && length != 0xFFFFFFFFu && id == 0 && data[8] == 1) return data;
    }
    return nullptr;
}

struct UnwindFrames {
    UnwindFrames() {
        if (GetModuleHandleA("libgcc_s_dw2-1.dll") == nullptr) return; // start-up code used ours
        const HMODULE module = ThisModule();
        if (module == nullptr) return;
        const void *tables = UnwindTables(module);
        if (tables == nullptr) return;
        __register_frame_info(tables, &g_record);
        g_registered = tables;
    }
    ~UnwindFrames() {
        if (g_registered != nullptr) __deregister_frame_info(g_registered);
    }
    UnwindFrames(const UnwindFrames &) = delete;
    UnwindFrames &operator=(const UnwindFrames &) = delete;
};

// Constructed while the module loads, before the host can call any entry.
const UnwindFrames g_unwindFrames;

} // namespace

#endif
