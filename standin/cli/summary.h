// The human summary of a run: per object, the counts of selected vertices,
// lines and faces, and how they changed.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "standin/core/document.h"

namespace standin::cli {

struct SelectionCounts {
    std::string name;
    size_t vertices = 0, lines = 0, faces = 0;
    friend bool operator==(const SelectionCounts &, const SelectionCounts &) = default;
};

// One entry per document slot (empty slots included, with no name).
std::vector<SelectionCounts> CountSelection(const standin::Document &document);

// Lines such as
//   object 0 "ridge" (current): 4 lines selected (+4 lines; was nothing)
std::string DescribeChanges(const standin::Document &document, const std::vector<SelectionCounts> &before);

// The same as JSON: [{"index", "name", "before": {...}, "after": {...}}].
nlohmann::json ChangesToJson(const standin::Document &document, const std::vector<SelectionCounts> &before);

} // namespace standin::cli
