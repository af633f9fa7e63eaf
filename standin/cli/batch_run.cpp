#include "standin/cli/batch_run.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <unistd.h>

#include "standin/cli/obj_loader.h"

namespace standin::cli {

namespace fs = std::filesystem;

int RunBatch(const Request &r, PluginRunner &runner, standin::SettingsStore &store,
             const std::function<void()> &saveSettings) {
    // Outputs are named after the files: two files of one name would write
    // over each other's.
    const fs::path dir = r.outDir.empty() ? fs::path() : fs::path(r.outDir);
    if (!r.outDir.empty()) {
        std::error_code ec;
        if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) throw InputError(r.outDir + ": not a folder");
        std::map<std::string, std::string> byStem;
        for (const std::string &file : r.files) {
            const auto [it, added] = byStem.emplace(fs::path(file).stem().string(), file);
            if (!added)
                throw InputError(it->second + " and " + file + " would both write " + (dir / it->first).string() +
                                 ".*; run them in separate batches");
        }
    }
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
        Row row{file, "ok", {}};
        try {
            const RunOutcome outcome = RunOne(quiet, {file}, runner, store,
                                              r.outDir.empty() ? "" : (dir / (stem + ".json")).string(),
                                              r.outDir.empty() ? "" : (dir / (stem + ".png")).string(),
                                              dialogPictureDone ? "" : r.dialogPng, true);
            // The dialog is the same for every file: one picture, from
            // the first run that shows it.
            if (!r.dialogPng.empty() && outcome.status == 0) dialogPictureDone = true;
            row.counts = outcome.after;
            if (outcome.status != 0) {
                row.status = "not done: " + outcome.message;
                worst = std::max(worst, outcome.status);
            }
        } catch (const std::bad_alloc &) {
            row.status = "error: out of memory";
            worst = 2;
        } catch (const std::exception &e) {
            row.status = std::string("error: ") + OneLine(e.what());
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
}

} // namespace standin::cli
