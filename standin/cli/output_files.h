// Output files that appear whole or not at all: every file of a run is
// staged in memory and written at the end, each to a temporary file in its
// target folder that is then renamed over the target.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin::cli {

class OutputSet {
public:
    void Add(std::string path, std::string contents) { files_.emplace_back(std::move(path), std::move(contents)); }
    bool Empty() const { return files_.empty(); }
    // Writes every file. Throws InputError, having removed its temporary
    // files, if any cannot be written; files already renamed stay. With
    // `createFolders`, a missing target folder is made first.
    void Commit(bool createFolders = false);

private:
    std::vector<std::pair<std::string, std::string>> files_;
};

// Writes one file the same way.
void WriteFileAtomically(const std::string &path, const std::string &contents);

} // namespace standin::cli
