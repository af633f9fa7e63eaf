// A separate process for the settings round-trip tests. It gives the
// stand-in host a settings file, loads the plug-in's options from it and
// prints them; given assignments, it then sets those options, saves them and
// saves the file.
//
// Usage: settings_probe FILE [key=value ...]
// Output: one line "face=0 local=0 suppl=1 range=3A83126F angle1=00000000
// angle2=42B40000 PosX=-1 PosY=-1" (floats as their bit patterns), as loaded.
// Exit status: 0 done, 2 bad usage, 3 the file was unusable (set aside),
// 4 the file could not be saved.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host_api.h"
#include "plugin/vexolin.h"
#include "standin/settings/settings_store.h"

namespace {

uint32_t Bits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void Print(const vexolin::Options &p) {
    std::printf("face=%d local=%d suppl=%d range=%08X angle1=%08X angle2=%08X PosX=%d PosY=%d\n", p.face ? 1 : 0,
                p.local ? 1 : 0, p.suppl ? 1 : 0, static_cast<unsigned>(Bits(p.range)),
                static_cast<unsigned>(Bits(p.angle1)), static_cast<unsigned>(Bits(p.angle2)), p.PosX, p.PosY);
}

bool Assign(vexolin::Options &p, const std::string &assignment) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = assignment.substr(0, eq);
    const char *value = assignment.c_str() + eq + 1;
    if (key == "face") p.face = std::atoi(value) != 0;
    else if (key == "local") p.local = std::atoi(value) != 0;
    else if (key == "suppl") p.suppl = std::atoi(value) != 0;
    else if (key == "range") p.range = std::strtof(value, nullptr);
    else if (key == "angle1") p.angle1 = std::strtof(value, nullptr);
    else if (key == "angle2") p.angle2 = std::strtof(value, nullptr);
    else if (key == "PosX") p.PosX = std::atoi(value);
    else if (key == "PosY") p.PosY = std::atoi(value);
    else return false;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings_probe FILE [key=value ...]\n");
        return 2;
    }
    if (!hostapi::Bind(STANDIN_HOST_PATH)) {
        std::fprintf(stderr, "settings_probe: cannot bind the stand-in host\n");
        return 2;
    }
    standin::SettingsStore store;
    standin::SetHostSettings(&store);
    int status = 0;
    const standin::StoreResult opened = store.Open(argv[1]);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.error.c_str());
        status = 3;
    }

    Vexolin plugin;
    plugin.LoadSettings();
    Print(plugin.options);

    if (argc > 2) {
        for (int i = 2; i < argc; ++i) {
            if (!Assign(plugin.options, argv[i])) {
                std::fprintf(stderr, "settings_probe: bad assignment \"%s\"\n", argv[i]);
                return 2;
            }
        }
        plugin.SaveSettings();
        const standin::StoreResult saved = store.Save();
        if (!saved) {
            std::fprintf(stderr, "%s\n", saved.error.c_str());
            return 4;
        }
    }
    std::fflush(stdout);
    return status;
}
