// Reads Wavefront OBJ files into a stand-in document, keeping the file's
// structure: vertices keep their identity and order (nothing is welded),
// faces keep their point order (nothing is triangulated), every `l` element
// becomes a chain of two-point faces and every `p` element one-point faces.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/core/document.h"

namespace vexcli {

// A failure that the user caused: bad file, bad option, bad selection.
// `what()` is the one-line message shown to the user.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where each element of a loaded object came from.
struct LoadedObject {
    int32_t documentIndex = -1;        // slot in the document
    std::string name;
    std::string file;                  // the OBJ file it was read from
    std::vector<int32_t> fileVertex;   // object vertex -> 0-based vertex index in the file
    std::vector<int32_t> sourceLine;   // object face -> line of the file that made it
};

// Reads one OBJ file and appends its objects to `document`. Each `o`
// statement starts an object; when the file has no `o`, each `g` does;
// elements before the first of these go to an object named after the file.
// An object holds the vertices its elements use plus the unused vertices
// declared inside it, in file order. Throws InputError naming the file and
// line on anything malformed; the document is then left as it was.
std::vector<LoadedObject> LoadObjFile(const std::string &path, standin::Document &document);

// The same for OBJ text already in memory; `displayName` names it in errors.
std::vector<LoadedObject> LoadObjText(const std::string &text, const std::string &displayName,
                                      standin::Document &document);

} // namespace vexcli
