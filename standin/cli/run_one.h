// What one invocation of vexolin-run asks for, and one run on one document:
// load the OBJ files, set up the scene, press the button in the plug-in's
// dialog, stage the outputs and write them together (all or none).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "standin/cli/dialog_commands.h"
#include "standin/cli/plugin_run.h"
#include "standin/cli/summary.h"
#include "standin/settings/settings_store.h"

namespace standin::cli {

inline constexpr const char *kProgram = "vexolin-run";

// The command line, as parsed.
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
    bool wireframe = false;
};


// A message on one line: line breaks become spaces.
std::string OneLine(std::string text);

// "WIDTHxHEIGHT"; throws InputError otherwise.
std::pair<int, int> ParseSize(const std::string &text);

// The dialog options the command line sets.
DialogOptions OptionsOf(const Request &r);

struct RunOutcome {
    int status = 0;  // exit status of this run
    std::string message;
    std::vector<SelectionCounts> after;
};

// One document made of `files`: load, set up, run, write the outputs named
// (empty: not written). Throws InputError, having written nothing, when
// anything fails; with `createFolders`, missing output folders are made
// when the outputs are written.
RunOutcome RunOne(const Request &r, const std::vector<std::string> &files, PluginRunner &runner,
                  standin::SettingsStore &store, const std::string &jsonPath, const std::string &pngPath,
                  const std::string &dialogPngPath = {}, bool createFolders = false);

} // namespace standin::cli
