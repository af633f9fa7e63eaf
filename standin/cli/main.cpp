// vexolin-run: loads OBJ meshes into the stand-in host, runs the Vexolin
// plug-in on them through its command dialog, and writes the selection as a
// summary, as JSON and as a picture.
//
// Exit status: 0 done; 1 the plug-in did not carry out the command; 2 bad
// input (files, options, selection), with a one-line message and no output
// files written.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "standin/cli/dialog_commands.h"
#include "standin/cli/dialog_view.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/output_files.h"
#include "standin/cli/plugin_run.h"
#include "standin/cli/render_mesh.h"
#include "standin/cli/scene.h"
#include "standin/cli/summary.h"
#include "standin/settings/settings_store.h"

namespace fs = std::filesystem;
using namespace vexcli;

namespace {

constexpr const char *kProgram = "vexolin-run";

struct Request {
    std::vector<std::string> files;
    std::string plugin;
    std::string settings;
    DialogChoice choice;
    std::string face, local, supplement, allObjects;
    std::optional<double> range, angle1, angle2;
    std::optional<int> index;
    std::string scene;
    std::string current;
    std::vector<std::string> locks, matrices, selVertices, selLines, selFaces;
    std::string json, png, dialogPng, outDir;
    std::string view = "three-quarter";
    std::string size = "800x600";
    bool batch = false;
    bool list = false;
    bool quiet = false;
};

std::string DefaultSettingsPath() {
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return (fs::path(xdg) / "vexolin" / "settings.xml").string();
    if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return (fs::path(home) / ".config" / "vexolin" / "settings.xml").string();
    return "vexolin-settings.xml";
}

// The plug-in module is found relative to this program, never through a path
// fixed at build time, so that a build folder or an installed tree can move:
// beside the program, then in an installed tree (<prefix>/bin/vexolin-run,
// <prefix>/lib/vexolin/vexolin.so), then in the build folder
// (standin/cli/vexolin-run, plugin/vexolin.so).
std::string DefaultPluginPath() {
    if (const char *env = std::getenv("VEXOLIN_PLUGIN"); env != nullptr && *env != '\0') return env;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "vexolin.so";
    const fs::path dir = self.parent_path();
    const fs::path candidates[] = {dir / "vexolin.so", dir / ".." / "lib" / "vexolin" / "vexolin.so",
                                   dir / ".." / ".." / "plugin" / "vexolin.so"};
    for (const fs::path &candidate : candidates)
        if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
    return candidates[1].lexically_normal().string();
}

std::pair<int, int> ParseSize(const std::string &text) {
    const size_t x = text.find('x');
    try {
        if (x == std::string::npos) throw std::invalid_argument("");
        size_t used = 0;
        const int w = std::stoi(text.substr(0, x), &used);
        if (used != x) throw std::invalid_argument("");
        const int h = std::stoi(text.substr(x + 1), &used);
        if (used != text.size() - x - 1) throw std::invalid_argument("");
        return {w, h};
    } catch (const std::logic_error &) {
        throw InputError("invalid size '" + text + "': write WIDTHxHEIGHT, e.g. 800x600");
    }
}

DialogOptions OptionsOf(const Request &r) {
    DialogOptions o;
    o.range = r.range;
    o.angle1 = r.angle1;
    o.angle2 = r.angle2;
    o.index = r.index;
    if (!r.face.empty()) o.face = ParseSwitch(r.face, "--face");
    if (!r.local.empty()) o.local = ParseSwitch(r.local, "--local");
    if (!r.supplement.empty()) o.supplement = ParseSwitch(r.supplement, "--supplement");
    if (!r.allObjects.empty()) o.allObjects = ParseSwitch(r.allObjects, "--all-objects");
    return o;
}

// The scene from --scene, then the command-line entries on top of it.
SceneSetup SceneOf(const Request &r) {
    SceneSetup scene = r.scene.empty() ? SceneSetup{} : ReadSceneFile(r.scene);
    if (!r.current.empty()) scene.current = r.current;
    // Each "[OBJ=]VALUE" entry becomes one setup for its object.
    const auto add = [&scene](const std::vector<std::string> &entries, auto fill) {
        for (const auto &entry : entries) {
            auto [target, rest] = SplitTarget(entry);
            ObjectSetup e;
            e.object = target;
            fill(e, rest);
            scene.objects.push_back(std::move(e));
        }
    };
    for (const auto &l : r.locks) {
        ObjectSetup e;
        e.object = l;
        e.locked = true;
        scene.objects.push_back(e);
    }
    add(r.matrices, [](ObjectSetup &e, const std::string &v) { e.matrix = ParseMatrix(v, "--matrix"); });
    add(r.selVertices, [](ObjectSetup &e, const std::string &v) { e.vertices = ParseIndexList(v, "--select-vertices"); });
    add(r.selLines, [](ObjectSetup &e, const std::string &v) { e.lines = ParseLineList(v, "--select-lines"); });
    add(r.selFaces, [](ObjectSetup &e, const std::string &v) { e.faces = ParseIndexList(v, "--select-faces"); });
    return scene;
}

struct RunOutcome {
    int status = 0;  // exit status of this run
    std::string message;
    std::vector<SelectionCounts> after;
};

// One document: load, set up, run, stage the outputs. Writes nothing when
// anything fails.
RunOutcome RunOne(const Request &r, const std::vector<std::string> &files, PluginRunner &runner,
                  standin::SettingsStore &store, const std::string &jsonPath, const std::string &pngPath,
                  const std::string &dialogPngPath = {}) {
    const DialogCommand &command = ChosenCommand(r.choice);
    const RenderOptions renderOptions = [&] {
        RenderOptions o;
        o.view = ParseView(r.view);
        std::tie(o.width, o.height) = ParseSize(r.size);
        return o;
    }();

    standin::Document document;
    std::vector<LoadedObject> loaded;
    for (const auto &f : files) {
        auto objects = LoadObjFile(f, document);
        loaded.insert(loaded.end(), objects.begin(), objects.end());
    }
    if (document.ObjectCount() == 0) throw InputError(files.front() + ": no objects");
    ApplyScene(SceneOf(r), document);
    const auto before = CountSelection(document);

    std::optional<DialogNode> seen;
    const PluginRunner::Result result =
        runner.Run(r.choice, document, store, dialogPngPath.empty() ? nullptr : &seen);
    RunOutcome outcome;
    outcome.after = CountSelection(document);
    if (!result.carriedOut || !result.problem.empty()) {
        outcome.status = 1;
        outcome.message = result.problem;
        if (!result.carriedOut) return outcome;
    }

    // The plug-in hands the index of "select by index" to the host as it
    // stands; say so when it names nothing, or was never set.
    if ((command.number == 29 || command.number == 30) && !r.quiet) {
        const bool vertex = command.number == 29;
        const int32_t index = r.index.value_or(0);
        if (const standin::Object *o = document.ObjectAt(document.currentObject)) {
            const int32_t count = vertex ? o->VertexCount() : o->FaceCount();
            if (!r.index)
                std::cerr << kProgram << ": note: no --index given; the index box was left at " << index << "\n";
            if (index >= count)
                std::cerr << kProgram << ": note: object \"" << o->Name() << "\" has " << count
                          << (vertex ? " vertices" : " faces") << ", so there is no " << (vertex ? "vertex " : "face ")
                          << index << " to select\n";
        }
    }

    std::string label = command.label;
    const std::string title = label + " (\"" + command.group + "\", command " + std::to_string(command.number) + ")";
    if (!r.quiet) {
        std::cout << title << " on " << files.front() << (files.size() > 1 ? " and others" : "") << "\n"
                  << DescribeChanges(document, before);
    }

    OutputSet outputs;
    if (!jsonPath.empty()) {
        nlohmann::json json = SelectionToJson(document, loaded);
        json["command"] = {{"label", command.label}, {"group", command.group}, {"number", command.number}};
        json["changes"] = ChangesToJson(document, before);
        const StoredOptions s = runner.ReadStored(store);
        json["options"] = {{"face", s.face}, {"local", s.local}, {"supplement", s.suppl}, {"range", s.range},
                           {"angle1", s.angle1}, {"angle2", s.angle2}};
        outputs.Add(jsonPath, json.dump(2) + "\n");
    }
    if (!pngPath.empty()) {
        RenderOptions o = renderOptions;
        o.title = title;
        outputs.Add(pngPath, RenderMeshPng(document, o));
    }
    if (!dialogPngPath.empty()) {
        if (!seen) throw InputError("the dialog could not be captured for " + dialogPngPath);
        outputs.Add(dialogPngPath, RenderDialogPng(*seen));
    }
    outputs.Commit();
    if (!r.quiet) {
        if (!jsonPath.empty()) std::cout << "selection written to " << jsonPath << "\n";
        if (!pngPath.empty()) std::cout << "picture written to " << pngPath << "\n";
        if (!dialogPngPath.empty()) std::cout << "dialog picture written to " << dialogPngPath << "\n";
    }
    return outcome;
}

// --list and --dialog-png on their own: the dialog is opened with the
// stored settings, looked at and cancelled. The settings file is read but
// never written.
int ShowDialog(const Request &r) {
    std::string extra;
    if (!r.files.empty()) extra = "OBJ file";
    else if (r.batch) extra = "--batch";
    else if (!r.json.empty() || !r.png.empty()) extra = "--json or --png";
    else if (!r.choice.button.empty() || !r.choice.altKeys.empty()) extra = "--press or --alt";
    else if (r.range || r.angle1 || r.angle2 || r.index || !r.face.empty() || !r.local.empty() ||
             !r.supplement.empty() || !r.allObjects.empty())
        extra = "dialog options";
    if (!extra.empty())
        throw InputError(std::string(r.list ? "--list" : "--dialog-png") + " without --press shows the dialog as it "
                         "opens and changes nothing, so it takes no " + extra);
    standin::SettingsStore store;
    if (const auto opened = store.Open(r.settings); !opened)
        std::cerr << kProgram << ": warning: " << opened.error << "\n";
    standin::SetHostSettings(&store);
    PluginRunner runner(r.plugin);
    standin::Document document;
    document.AddObject("empty");
    const DialogNode dialog = runner.CaptureDialog(document);
    if (!r.dialogPng.empty()) WriteFileAtomically(r.dialogPng, RenderDialogPng(dialog));
    if (r.list) {
        std::cout << ListDialog(dialog);
        std::cout << "(as the dialog opens with the settings in " << r.settings << "; cancelled, nothing changed)\n";
    }
    if (!r.dialogPng.empty() && !r.quiet) std::cout << "dialog picture written to " << r.dialogPng << "\n";
    return 0;
}

int Main(int argc, char **argv) {
    Request r;
    CLI::App app{"Runs the Vexolin selection plug-in on OBJ meshes through its command dialog, scripted.", kProgram};
    app.add_option("files", r.files, "OBJ files (one document, or one run each with --batch)");
    app.add_option("--plugin", r.plugin, "the plug-in module (default: $VEXOLIN_PLUGIN, or vexolin.so found relative to this program)");
    app.add_option("--settings", r.settings, "settings file (default: $XDG_CONFIG_HOME/vexolin/settings.xml)");
    app.add_flag("--list", r.list, "show the dialog's commands and options as it opens, then cancel it");
    auto *g = app.add_option_group("dialog", "what the user does in the dialog");
    g->add_option("--press", r.choice.button, "press the button with this label, e.g. \"Ridge(&R)\"");
    g->add_option("--group", r.choice.group, "the group of the button, e.g. \"Clear\"");
    g->add_option("--alt", r.choice.altKeys, "press Alt+KEY (repeatable, in order)");
    g->add_option("--range", r.range, "\"Range\" tolerance, 0 to 1000");
    g->add_option("--angle1", r.angle1, "first \"Angle\"");
    g->add_option("--angle2", r.angle2, "second \"Angle\" (after \"->\")");
    g->add_option("--index", r.index, "index for \"select by index\", 0 to 9999999");
    g->add_option("--face", r.face, "\"(&F)ace\" switch: on or off");
    g->add_option("--local", r.local, "\"(&L)ocal\" switch: on or off");
    g->add_option("--supplement", r.supplement, "\"Supplement\" switch: on or off");
    g->add_option("--all-objects", r.allObjects, "\"All objects(&A)\" switch: on or off");
    auto *s = app.add_option_group("document", "the document before the run");
    s->add_option("--scene", r.scene, "JSON file: current object, locks, matrices, selection");
    s->add_option("--current", r.current, "current object: index or name");
    s->add_option("--lock", r.locks, "lock an object (repeatable)");
    s->add_option("--matrix", r.matrices, "[OBJ=]16 comma-separated numbers, row-major (repeatable)");
    s->add_option("--select-vertices", r.selVertices, "[OBJ=]list, e.g. 0,3,7-9 (repeatable)");
    s->add_option("--select-lines", r.selLines, "[OBJ=]list of face:line, e.g. 4:0,4:1 (repeatable)");
    s->add_option("--select-faces", r.selFaces, "[OBJ=]list, e.g. 2,5 (repeatable)");
    auto *o = app.add_option_group("output", "what the run writes");
    o->add_option("--json", r.json, "write the selection as JSON");
    o->add_option("--png", r.png, "write a picture of the mesh with the selection");
    o->add_option("--view", r.view, "front, side, top or three-quarter (default)");
    o->add_option("--size", r.size, "picture size WIDTHxHEIGHT (default 800x600)");
    o->add_option("--dialog-png", r.dialogPng, "write a picture of the dialog as it opens (alone, or with a run)");
    o->add_flag("--batch", r.batch, "one run per file; outputs go to --out-dir");
    o->add_option("--out-dir", r.outDir, "folder for the outputs of a batch (NAME.json, NAME.png)");
    o->add_flag("-q,--quiet", r.quiet, "print only errors and the batch table");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        std::cerr << kProgram << ": " << e.what() << "\n";
        return 2;
    }

    try {
        if (r.plugin.empty()) r.plugin = DefaultPluginPath();
        if (r.settings.empty()) r.settings = DefaultSettingsPath();
        r.choice.options = OptionsOf(r);
        const bool chooses = !r.choice.button.empty() || !r.choice.altKeys.empty();
        if (r.list || (!r.dialogPng.empty() && !chooses)) return ShowDialog(r);
        if (r.files.empty()) throw InputError("no OBJ file given (see --help)");
        ChosenCommand(r.choice);
        ParseView(r.view);
        ParseSize(r.size);
        if (r.batch && (!r.json.empty() || !r.png.empty()))
            throw InputError("--json and --png name one file; with --batch use --out-dir");
        if (!r.batch && !r.outDir.empty()) throw InputError("--out-dir is for --batch");
        if (r.batch && !r.outDir.empty() && !fs::is_directory(r.outDir))
            throw InputError(r.outDir + ": no such folder");

        standin::SettingsStore store;
        if (const auto opened = store.Open(r.settings); !opened)
            std::cerr << kProgram << ": warning: " << opened.error << "\n";
        standin::SetHostSettings(&store);
        PluginRunner runner(r.plugin);

        auto saveSettings = [&] {
            std::error_code ec;
            const fs::path parent = fs::path(r.settings).parent_path();
            if (!parent.empty()) fs::create_directories(parent, ec);
            if (const auto saved = store.Save(); !saved)
                std::cerr << kProgram << ": warning: settings not saved: " << saved.error << "\n";
        };

        if (!r.batch) {
            const RunOutcome outcome = RunOne(r, r.files, runner, store, r.json, r.png, r.dialogPng);
            saveSettings();
            if (outcome.status != 0) std::cerr << kProgram << ": " << outcome.message << "\n";
            return outcome.status;
        }

        // Batch: every file its own document and run; one failure does not
        // stop the others.
        struct Row {
            std::string file;
            std::string status;
            std::vector<SelectionCounts> counts;
        };
        std::vector<Row> rows;
        int worst = 0;
        const bool tty = isatty(STDERR_FILENO) != 0;
        const auto started = std::chrono::steady_clock::now();
        Request quiet = r;
        quiet.quiet = true;
        bool dialogPictureDone = false;
        for (size_t i = 0; i < r.files.size(); ++i) {
            const std::string &file = r.files[i];
            if (!r.quiet && (r.files.size() > 1)) {
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                std::cerr << (tty ? "\r" : "") << "[" << (i + 1) << "/" << r.files.size() << "] " << file << " ("
                          << static_cast<int>(seconds) << " s)" << (tty ? "\033[K" : "\n") << std::flush;
            }
            const std::string stem = fs::path(file).stem().string();
            const fs::path dir = r.outDir.empty() ? fs::path() : fs::path(r.outDir);
            Row row{file, "ok", {}};
            try {
                const RunOutcome outcome = RunOne(quiet, {file}, runner, store,
                                                  r.outDir.empty() ? "" : (dir / (stem + ".json")).string(),
                                                  r.outDir.empty() ? "" : (dir / (stem + ".png")).string(),
                                                  dialogPictureDone ? "" : r.dialogPng);
                // The dialog is the same for every file: one picture, from
                // the first run that shows it.
                if (!r.dialogPng.empty() && outcome.status == 0) dialogPictureDone = true;
                row.counts = outcome.after;
                if (outcome.status != 0) {
                    row.status = "not done: " + outcome.message;
                    worst = std::max(worst, outcome.status);
                }
            } catch (const InputError &e) {
                row.status = std::string("error: ") + e.what();
                worst = 2;
            }
            rows.push_back(std::move(row));
        }
        if (tty && !r.quiet && r.files.size() > 1) std::cerr << "\n";
        saveSettings();

        std::cout << "file\tobjects\tvertices\tlines\tfaces\tstatus\n";
        for (const Row &row : rows) {
            size_t v = 0, l = 0, f = 0;
            for (const auto &c : row.counts) {
                v += c.vertices;
                l += c.lines;
                f += c.faces;
            }
            std::cout << row.file << "\t" << row.counts.size() << "\t" << v << "\t" << l << "\t" << f << "\t"
                      << row.status << "\n";
        }
        return worst;
    } catch (const InputError &e) {
        std::cerr << kProgram << ": " << e.what() << "\n";
        return 2;
    }
}

} // namespace

int main(int argc, char **argv) {
    const int status = Main(argc, argv);
    // Hand back the fonts and caches that drawing text took, so that a
    // leak checker sees a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}
