// vexolin-run: loads OBJ meshes into the stand-in host, runs the Vexolin
// plug-in on them through its command dialog, and writes the selection as a
// summary, as JSON and as a picture.
//
// Exit status: 0 done; 1 the plug-in did not carry out the command; 2 bad
// input (files, options, selection) or any other failure (out of memory, a
// file that cannot be read or written), with a one-line message and no
// output files written; 3 the plug-in misbehaved: it made calls the host had
// to refuse (each is printed, whatever else the run did).
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>

#include <CLI/CLI.hpp>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "commands/command_table.h"
#include "commands/options.h"
#include "standin/cli/batch_run.h"
#include "standin/cli/dialog_view.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/output_files.h"
#include "standin/cli/render_mesh.h"
#include "standin/cli/run_one.h"
#include "standin/core/host_checks.h"

namespace fs = std::filesystem;
using namespace standin::cli;

namespace {

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
    if (const auto opened = store.Open(r.settings); !opened && !r.quiet)
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
    g->add_option("--range", r.range, std::string("\"") + vexolin::kRangeLabel + "\" tolerance, 0 to " +
                                          std::to_string(static_cast<int>(vexolin::kRangeLimits.high)));
    g->add_option("--angle1", r.angle1, "first \"Angle\"");
    g->add_option("--angle2", r.angle2, "second \"Angle\" (after \"->\")");
    g->add_option("--index", r.index, std::string("index for \"") + vexolin::kIndexGroup + "\", 0 to " +
                                          std::to_string(vexolin::kIndexMax));
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
    o->add_option("--out-dir", r.outDir, "folder for the outputs of a batch (NAME.json, NAME.png); made when missing");
    o->add_flag("--wireframe", r.wireframe, "draw every face flat and every element at once, hidden or not");
    o->add_flag("-q,--quiet", r.quiet, "print only errors and the batch table: no summary, notes, warnings or progress");
    app.set_version_flag("--version", std::string(kProgram) + " " + VEXOLIN_VERSION);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion &e) {
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

        standin::SettingsStore store;
        if (const auto opened = store.Open(r.settings); !opened && !r.quiet)
            std::cerr << kProgram << ": warning: " << opened.error << "\n";
        standin::SetHostSettings(&store);
        PluginRunner runner(r.plugin);

        auto saveSettings = [&] {
            std::error_code ec;
            const fs::path parent = fs::path(r.settings).parent_path();
            if (!parent.empty()) fs::create_directories(parent, ec);
            if (const auto saved = store.Save(); !saved && !r.quiet)
                std::cerr << kProgram << ": warning: settings not saved: " << saved.error << "\n";
        };

        if (!r.batch) {
            const RunOutcome outcome = RunOne(r, r.files, runner, store, r.json, r.png, r.dialogPng);
            saveSettings();
            if (outcome.status != 0) std::cerr << kProgram << ": " << outcome.message << "\n";
            return outcome.status;
        }

        return RunBatch(r, runner, store, saveSettings);
    } catch (const InputError &e) {
        std::cerr << kProgram << ": " << OneLine(e.what()) << "\n";
        return 2;
    }
}

} // namespace

int main(int argc, char **argv) {
    // Every failure ends the same way as bad input: one line, status 2. No
    // output file is written before a run has succeeded, so none is left
    // half-written.
    int status = 2;
    try {
        status = Main(argc, argv);
    } catch (const std::bad_alloc &) {
        std::cerr << kProgram << ": out of memory\n";
    } catch (const std::exception &e) {
        std::cerr << kProgram << ": " << OneLine(e.what()) << "\n";
    } catch (...) {
        std::cerr << kProgram << ": failed for an unknown reason\n";
    }
    // The host refuses a bad call quietly, as the modeller does; this tool is
    // also a validator, so every refused call of the plug-in is shown and
    // fails the run.
    if (const auto misbehaviour = standin::RecordedMisbehaviour(); !misbehaviour.empty()) {
        for (const standin::Misbehaviour &m : misbehaviour)
            std::cerr << kProgram << ": the plug-in misbehaved: " << OneLine(m.what) << "\n";
        status = 3;
    }
    // Hand back the fonts and caches that drawing text took, so that a
    // leak checker sees a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}
