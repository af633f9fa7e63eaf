// The scene file of the stand-in host's command line: any bytes as the JSON
// file given to --scene. It is read or refused with a message naming the
// file (any other exception ends the run as a finding); a scene that does
// not fit the document is refused as a whole, leaving the document as it
// was; and one that is applied is written out as JSON that, read back and
// applied to the same document, gives the same state: a run's output can
// start the next run.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "standin/cli/scene.h"
#include "tests/fuzz/support/fuzz_support.h"

namespace cli = standin::cli;

namespace fs = std::filesystem;

namespace {

const fs::path &SceneFile() {
    static const fs::path file = [] {
        std::error_code ec;
        fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path path = base / ("vexolin-fuzz-scene-" + std::to_string(getpid()) + ".json");
        std::atexit([] {
            std::error_code ignored;
            fs::remove(SceneFile(), ignored);
        });
        return path;
    }();
    return file;
}

// A document with something to name in every way: indices, names, a name
// shared by two objects, a name that reads as a number, an empty slot, a
// deleted face, faces of one to four points.
void BuildDocument(standin::Document &doc) {
    doc.AddObject("cube");
    standin::Object &cube = *doc.ObjectAt(0);
    for (int i = 0; i < 8; ++i)
        cube.AddVertex({static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1), static_cast<float>(i >> 2)});
    const int32_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto &q : quads) cube.AddFace(q);
    cube.DeleteFace(2);
    doc.AddObject("tri");
    standin::Object &tri = *doc.ObjectAt(1);
    for (int i = 0; i < 3; ++i) tri.AddVertex({static_cast<float>(i), 0.0f, 1.0f});
    const int32_t face[3] = {0, 1, 2};
    tri.AddFace(face);
    tri.AddFace(std::span<const int32_t>(face, 2));
    tri.AddFace(std::span<const int32_t>(face, 1));
    doc.AddEmptySlot();
    doc.AddObject("tri");
    doc.ObjectAt(3)->AddVertex({0.0f, 0.0f, 0.0f});
    doc.AddObject("1");
    doc.currentObject = 1;
}

std::string State(const standin::Document &doc) { return cli::SelectionToJson(doc, {}).dump(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fs::path &file = SceneFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good(), "cannot write %s", file.c_str());
    }
    cli::SceneSetup scene;
    try {
        scene = cli::ReadSceneFile(file.string());
    } catch (const cli::InputError &e) {
        const std::string message = e.what();
        FUZZ_CHECK(message.rfind(file.string() + ": ", 0) == 0, "the message does not start with the file: %s",
                   message.c_str());
        FUZZ_CHECK(message.find('\n') == std::string::npos, "the message is not one line: %s", message.c_str());
        return 0;
    }

    standin::Document doc;
    BuildDocument(doc);
    const std::string before = State(doc);
    try {
        cli::ApplyScene(scene, doc);
    } catch (const cli::InputError &e) {
        FUZZ_CHECK(State(doc) == before, "a refused scene (%s) changed the document", e.what());
        return 0;
    }

    // The state written out starts the next run in the same state.
    const std::string written = cli::SelectionToJson(doc, {}).dump();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << written;
    }
    standin::Document next;
    BuildDocument(next);
    try {
        cli::ApplyScene(cli::ReadSceneFile(file.string()), next);
    } catch (const cli::InputError &e) {
        FUZZ_CHECK(false, "the state written after a scene was applied is refused: %s\n  %s", e.what(),
                   written.c_str());
    }
    FUZZ_CHECK(State(next) == written, "the state written reads back as another state:\n  %s\n  %s", written.c_str(),
               State(next).c_str());
    return 0;
}
