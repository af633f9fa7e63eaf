// The state a run starts from, beyond the meshes: the current object, locks,
// object matrices and the initial selection; and the selection as JSON.
//
// The JSON form is the same for input and output, so a selection written by
// one run can start the next:
//   { "current_object": 0,
//     "objects": [ { "index": 0, "name": "ridge", "locked": false,
//                    "matrix": [16 numbers, row-major],
//                    "selection": { "vertices": [0, 3], "lines": [[2, 1]],
//                                   "faces": [4] } } ] }
// An object entry names its object by "index" or, failing that, by "name".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "standin/cli/obj_loader.h"
#include "standin/core/document.h"

namespace standin::cli {

struct ObjectSetup {
    std::string object;  // an index, or an object name; empty: the current object
    std::optional<bool> locked;
    std::optional<standin::Matrix> matrix;
    std::vector<int32_t> vertices;
    std::vector<standin::LineRef> lines;
    std::vector<int32_t> faces;
};

struct SceneSetup {
    std::optional<std::string> current;
    std::vector<ObjectSetup> objects;
};

// Finds an object by index ("2") or by name; throws InputError when there is
// none or the name is ambiguous.
int32_t ResolveObject(const std::string &ref, const standin::Document &document);

// Parsers for the command-line forms; `what` names the option in errors.
//   index list:  "0,3,7-9"
//   line list:   "4:0,4:1"  (face:line)
//   matrix:      16 comma-separated numbers
// A target prefix "OBJ=" picks the object (see SplitTarget).
std::vector<int32_t> ParseIndexList(const std::string &text, const std::string &what);
std::vector<standin::LineRef> ParseLineList(const std::string &text, const std::string &what);
standin::Matrix ParseMatrix(const std::string &text, const std::string &what);
// "OBJ=rest" -> {OBJ, rest}; "rest" -> {"", rest}.
std::pair<std::string, std::string> SplitTarget(const std::string &text);

SceneSetup SceneFromJson(const nlohmann::json &json, const std::string &source);
SceneSetup ReadSceneFile(const std::string &path);

// Checks every entry against the document, then applies them all; on an
// error nothing is applied.
void ApplyScene(const SceneSetup &scene, standin::Document &document);

// The document's selection, locks and matrices in the form above, with the
// files and sizes of the objects added for the reader.
nlohmann::json SelectionToJson(const standin::Document &document, const std::vector<LoadedObject> &loaded);

} // namespace standin::cli
