#include "standin/cli/run_one.h"

#include <iostream>
#include <tuple>

#include "standin/cli/dialog_view.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/output_files.h"
#include "standin/cli/render_mesh.h"
#include "standin/cli/scene.h"

namespace standin::cli {

std::string OneLine(std::string text) {
    for (char &c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
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

namespace {

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

} // namespace

RunOutcome RunOne(const Request &r, const std::vector<std::string> &files, PluginRunner &runner,
                  standin::SettingsStore &store, const std::string &jsonPath, const std::string &pngPath,
                  const std::string &dialogPngPath, bool createFolders) {
    const DialogCommand &command = ChosenCommand(r.choice);
    const RenderOptions renderOptions = [&] {
        RenderOptions o;
        o.view = ParseView(r.view);
        std::tie(o.width, o.height) = ParseSize(r.size);
        o.wireframe = r.wireframe;
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
    if (command.family == vexolin::Family::Index && !r.quiet) {
        const bool vertex = command.command == vexolin::Command::VertexByIndex;
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
    outputs.Commit(createFolders);
    if (!r.quiet) {
        if (!jsonPath.empty()) std::cout << "selection written to " << jsonPath << "\n";
        if (!pngPath.empty()) std::cout << "picture written to " << pngPath << "\n";
        if (!dialogPngPath.empty()) std::cout << "dialog picture written to " << dialogPngPath << "\n";
    }
    return outcome;
}

} // namespace standin::cli
