#include "standin/cli/output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "standin/cli/obj_loader.h"

namespace standin::cli {
namespace {

std::string TempNameFor(const std::string &path) {
    const std::filesystem::path target(path);
    return (target.parent_path() / ("." + target.filename().string() + ".tmp" + std::to_string(getpid()))).string();
}

void WriteWhole(const std::string &path, const std::string &contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw InputError(path + ": cannot be written: " + std::strerror(errno));
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) throw InputError(path + ": write failed: " + std::strerror(errno));
}

} // namespace

void OutputSet::Commit(bool createFolders) {
    std::vector<std::string> temps;
    try {
        for (const auto &[path, contents] : files_) {
            const std::filesystem::path parent = std::filesystem::path(path).parent_path();
            std::error_code ec;
            if (createFolders && !parent.empty() && !std::filesystem::is_directory(parent, ec) &&
                !std::filesystem::create_directories(parent, ec) && ec)
                throw InputError(path + ": folder " + parent.string() + " cannot be made: " + ec.message());
            if (!parent.empty() && !std::filesystem::is_directory(parent, ec))
                throw InputError(path + ": folder " + parent.string() + " does not exist");
            temps.push_back(TempNameFor(path));
            WriteWhole(temps.back(), contents);
        }
    } catch (...) {
        for (const auto &t : temps) std::remove(t.c_str());
        throw;
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        if (std::rename(temps[i].c_str(), files_[i].first.c_str()) != 0) {
            const std::string why = std::strerror(errno);
            for (size_t k = i; k < temps.size(); ++k) std::remove(temps[k].c_str());
            throw InputError(files_[i].first + ": cannot be written: " + why);
        }
    }
    files_.clear();
}

void WriteFileAtomically(const std::string &path, const std::string &contents) {
    OutputSet set;
    set.Add(path, contents);
    set.Commit();
}

} // namespace standin::cli
