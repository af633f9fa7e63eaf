// The stand-in host's settings file: any bytes as the file it opens. A file
// it refuses is set aside byte for byte and never written over; a file it
// accepts is served to the plug-in's settings accessor, whose options, saved
// and read back, settle on their values, and is saved to a file that opens
// again to the same document.
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "host/host_api.h"
#include "settings/mq_setting.h"
#include "standin/settings/settings_store.h"
#include "tests/fuzz/support/fuzz_support.h"

namespace fs = std::filesystem;

namespace {

const char *const kSection = "Plugin-6D2B5F14-39C4E8A7";

// A folder of this process's own, on a memory file system where there is one:
// every save syncs the file to its disk.
const fs::path &Folder() {
    static const fs::path folder = [] {
        std::error_code ec;
        fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path dir = base / ("vexolin-fuzz-store-" + std::to_string(getpid()));
        fs::create_directories(dir);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(Folder(), ignored);
        });
        return dir;
    }();
    return folder;
}

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path &path, const char *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    FUZZ_CHECK(out.good(), "cannot write %s", path.c_str());
}

std::string Serialized(standin::SettingsStore &store) {
    std::ostringstream out;
    store.Xml().save(out);
    return out.str();
}

struct Options {
    bool face = false, local = false, suppl = false;
    float range = 0, angle1 = 0, angle2 = 0;
    int32_t posX = 0, posY = 0;
};

bool SameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool operator==(const Options &a, const Options &b) {
    return a.face == b.face && a.local == b.local && a.suppl == b.suppl && SameFloat(a.range, b.range) &&
           SameFloat(a.angle1, b.angle1) && SameFloat(a.angle2, b.angle2) && a.posX == b.posX && a.posY == b.posY;
}

// The plug-in's options as its accessor reads them from the host's store.
Options LoadOptions(standin::SettingsStore &store) {
    MQSetting setting(store.HandleOf(store.PluginSettings()), kSection);
    Options o;
    setting.Load("face", o.face, false);
    setting.Load("local", o.local, false);
    setting.Load("suppl", o.suppl, true);
    setting.Load("range", o.range, 0.001f);
    setting.Load("angle1", o.angle1, 0.0f);
    setting.Load("angle2", o.angle2, 90.0f);
    setting.Load("PosX", o.posX, -1);
    setting.Load("PosY", o.posY, -1);
    return o;
}

void SaveOptions(standin::SettingsStore &store, const Options &o) {
    MQSetting setting(store.HandleOf(store.PluginSettings()), kSection);
    setting.Save("face", o.face);
    setting.Save("local", o.local);
    setting.Save("suppl", o.suppl);
    setting.Save("range", o.range);
    setting.Save("angle1", o.angle1);
    setting.Save("angle2", o.angle2);
    setting.Save("PosX", o.posX);
    setting.Save("PosY", o.posY);
}

void CheckRefused(standin::SettingsStore &store, const standin::StoreResult &opened, const fs::path &file,
                  const char *data, size_t size) {
    FUZZ_CHECK(!opened.error.empty(), "a refused settings file gave no reason");
    FUZZ_CHECK(opened.error.find(file.string()) != std::string::npos, "the reason does not name the file: %s",
               opened.error.c_str());
    const fs::path backup = store.Backup();
    FUZZ_CHECK(!backup.empty(), "the refused file was not set aside: %s", opened.error.c_str());
    FUZZ_CHECK(!fs::exists(file), "the refused file is still in place");
    FUZZ_CHECK(ReadFile(backup) == std::string(data, size), "the file set aside differs from the refused one");
    // The store starts empty, and saving it leaves the refused file alone.
    FUZZ_CHECK(!store.Xml().first_child(), "a refused file left elements in the store");
    SaveOptions(store, LoadOptions(store));
    FUZZ_CHECK(store.Save().ok, "the empty store could not be saved after refusing a file");
    FUZZ_CHECK(ReadFile(backup) == std::string(data, size), "saving wrote over the file set aside");
    fs::remove(backup);
}

void CheckAccepted(standin::SettingsStore &store, const fs::path &file) {
    // What the plug-in reads, written back and read again, settles at once
    // or within a few rounds: a number is written with seven digits, fewer
    // than some floats need, so the first round may move it to the float
    // nearest its text (13000015 is written "1.300002e+07").
    Options first = LoadOptions(store);
    for (int round = 1;; ++round) {
        SaveOptions(store, first);
        const Options again = LoadOptions(store);
        if (again == first) break;
        FUZZ_CHECK(round < 4, "options saved into the store still read back differently after %d rounds", round);
        first = again;
    }

    const standin::StoreResult saved = store.Save();
    FUZZ_CHECK(saved.ok, "an accepted settings file could not be saved: %s", saved.error.c_str());
    const std::string written = ReadFile(file);

    standin::SettingsStore again;
    standin::SetHostSettings(&again);
    const standin::StoreResult reopened = again.Open(file);
    FUZZ_CHECK(reopened.ok, "the file the store saved is refused: %s", reopened.error.c_str());
    FUZZ_CHECK(LoadOptions(again) == first, "options read back differently from the saved file");
    FUZZ_CHECK(Serialized(again) == Serialized(store), "the saved file opens to another document");
    FUZZ_CHECK(again.Save().ok, "the reopened store could not be saved");
    FUZZ_CHECK(ReadFile(file) == written, "saving the reopened store wrote other bytes");
    standin::SetHostSettings(&store);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool bound = hostapi::Bind(STANDIN_HOST_PATH);
    FUZZ_CHECK(bound, "cannot bind the stand-in host %s", STANDIN_HOST_PATH);

    const fs::path file = Folder() / "settings.xml";
    std::error_code ec;
    fs::remove(file, ec);
    WriteFile(file, reinterpret_cast<const char *>(data), size);

    standin::SettingsStore store;
    standin::SetHostSettings(&store);
    const standin::StoreResult opened = store.Open(file);
    if (opened.ok) {
        FUZZ_CHECK(store.Backup().empty(), "an accepted file was set aside");
        CheckAccepted(store, file);
    } else {
        CheckRefused(store, opened, file, reinterpret_cast<const char *>(data), size);
    }
    standin::SetHostSettings(nullptr);
    return 0;
}
