#include "tests/support/plugin_module.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testsupport {
namespace {

// The operating system's loader, as the modeller uses it: LoadLibraryA and
// GetProcAddress on Windows, dlopen and dlsym elsewhere.
#ifdef _WIN32
void *OpenModule(const std::string &path) { return reinterpret_cast<void *>(LoadLibraryA(path.c_str())); }

void *FindSymbol(void *module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::string LoaderError() { return "LoadLibraryA failed, error " + std::to_string(GetLastError()); }
#else
void *OpenModule(const std::string &path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void *FindSymbol(void *module, const char *name) { return dlsym(module, name); }

std::string LoaderError() {
    const char *error = dlerror();
    return error != nullptr ? error : "dlopen failed";
}
#endif

} // namespace

PluginModule::PluginModule(const std::string &path) {
    handle_ = OpenModule(path);
    if (handle_ == nullptr) return;
#define MQ_EXPORT_BIND(ret, name, params) name = reinterpret_cast<name##_fn>(FindSymbol(handle_, #name));
    MQ_PLUGIN_EXPORTS(MQ_EXPORT_BIND)
#undef MQ_EXPORT_BIND
}

PluginModule::~PluginModule() {
    // The module stays loaded for the life of the process, as in the
    // modeller: the plug-in object is destroyed at process exit.
}

void *PluginModule::Symbol(const char *name) const { return handle_ ? FindSymbol(handle_, name) : nullptr; }

namespace {

// Reads a little-endian value at `offset`; false past the end of the file.
template <class T> bool ReadAt(const std::vector<unsigned char> &file, std::size_t offset, T &value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

// The export name table of a PE file (32- or 64-bit), read from the file
// itself so that it shows exactly what the loader will see.
std::set<std::string> PeExportNames(const std::vector<unsigned char> &file) {
    std::set<std::string> names;
    uint32_t peOffset = 0;
    if (!ReadAt(file, 0x3C, peOffset)) return names;
    uint32_t signature = 0;
    if (!ReadAt(file, peOffset, signature) || signature != 0x00004550u) return names; // "PE\0\0"
    const std::size_t coff = peOffset + 4;
    uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!ReadAt(file, coff + 2, sectionCount) || !ReadAt(file, coff + 16, optionalSize)) return names;
    const std::size_t optional = coff + 20;
    if (!ReadAt(file, optional, magic)) return names;
    // The data directories start at 96 (PE32) or 112 (PE32+); export is the first.
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    uint32_t exportRva = 0, exportSize = 0;
    if (!ReadAt(file, directories, exportRva) || !ReadAt(file, directories + 4, exportSize) || exportRva == 0)
        return names;

    const std::size_t sections = optional + optionalSize;
    auto toOffset = [&](uint32_t rva, std::size_t &offset) {
        for (uint16_t i = 0; i < sectionCount; ++i) {
            const std::size_t header = sections + i * 40u;
            uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
            if (!ReadAt(file, header + 8, virtualSize) || !ReadAt(file, header + 12, virtualAddress) ||
                !ReadAt(file, header + 16, rawSize) || !ReadAt(file, header + 20, rawOffset))
                return false;
            const uint32_t extent = virtualSize > rawSize ? virtualSize : rawSize;
            if (rva >= virtualAddress && rva - virtualAddress < extent) {
                offset = rawOffset + (rva - virtualAddress);
                return true;
            }
        }
        return false;
    };

    std::size_t directory = 0;
    uint32_t nameCount = 0, namesRva = 0;
    if (!toOffset(exportRva, directory) || !ReadAt(file, directory + 24, nameCount) ||
        !ReadAt(file, directory + 32, namesRva))
        return names;
    std::size_t nameTable = 0;
    if (nameCount != 0 && !toOffset(namesRva, nameTable)) return names;
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        std::size_t nameOffset = 0;
        if (!ReadAt(file, nameTable + 4u * i, nameRva) || !toOffset(nameRva, nameOffset)) return {};
        std::string name;
        while (nameOffset < file.size() && file[nameOffset] != 0) name.push_back(static_cast<char>(file[nameOffset++]));
        names.insert(name);
    }
    return names;
}

} // namespace

std::set<std::string> ModuleExportNames(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') return PeExportNames(file);
#ifdef _WIN32
    return {};
#else
    const std::string command = "nm -D --defined-only --format=posix '" + path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> names;
    if (!pipe) return names;
    char line[1024];
    while (fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream fields(line);
        std::string name, type;
        fields >> name >> type;
        if (!name.empty()) names.insert(name);
    }
    return names;
#endif
}

PluginModule &BoundPlugin() {
    static PluginModule module;
    EXPECT_TRUE(module.Loaded()) << LoaderError();
    if (module.Loaded()) {
        EXPECT_EQ(module.MQCheckVersion(0x4400), 0x440u);
        EXPECT_EQ(module.MQInit(STANDIN_HOST_PATH), 1);
    }
    return module;
}

} // namespace testsupport
