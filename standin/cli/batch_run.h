// Batch mode of vexolin-run: one command over many files, each its own
// document and run, outputs to --out-dir as NAME.json and NAME.png, and a
// results table. One file's failure does not stop the others.
#pragma once

#include <functional>

#include "standin/cli/run_one.h"

namespace standin::cli {

// Runs `r` over each of r.files; `saveSettings` is called once, after the
// last run and before the table is printed. Returns the worst exit status.
int RunBatch(const Request &r, PluginRunner &runner, standin::SettingsStore &store,
             const std::function<void()> &saveSettings);

} // namespace standin::cli
