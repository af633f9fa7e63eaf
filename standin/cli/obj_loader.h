// Reads Wavefront OBJ files into a stand-in document, keeping the file's
// structure: vertices keep their identity and order (nothing is welded),
// faces keep their point order (nothing is triangulated), every `l` element
// becomes a chain of two-point faces and every `p` element one-point faces.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "standin/core/document.h"

namespace standin::cli {

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

// Reads one OBJ file and appends its objects to `document`.
//
// Text: UTF-8 with or without a byte-order mark, or UTF-16 (LE or BE) with
// one; LF, CRLF or CR line ends; a `\` at the end of a line continues the
// statement on the next. Numbers are read as the C library reads them in
// the C locale, whatever the process locale is.
//
// Objects: each `o` statement names an object; when the file has no `o`,
// each `g` does (with an `o`, `g` only groups faces inside the object).
// Statements naming an object seen before return to it. Elements before the
// first of these, or after a nameless `o`/`g`, go to an object named after
// the file. Vertex blocks never make objects: an object is created only when
// it has elements, or vertices declared inside it that no element uses
// (unused vertices before the first named object go to the first object).
// An object holds the vertices its elements use plus those unused ones, in
// file order, and its elements in file order.
//
// Throws InputError naming the file and line on anything malformed; the
// document is then left as it was.
std::vector<LoadedObject> LoadObjFile(const std::string &path, standin::Document &document);

// The same for OBJ bytes already in memory; `displayName` names them in
// errors and gives the name of the object for elements outside any.
std::vector<LoadedObject> LoadObjText(std::string_view bytes, const std::string &displayName,
                                      standin::Document &document);

} // namespace standin::cli

