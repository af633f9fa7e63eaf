#include "standin/cli/obj_loader.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include <tiny_obj_loader.h>

namespace vexcli {
namespace {

enum class ElementKind { Face, Line, Point };

// One `f`, `l` or `p` statement as the scan saw it.
struct ElementStatement {
    ElementKind kind = ElementKind::Face;
    int32_t line = 0;
    int32_t section = 0;
    int32_t verticesSoFar = 0;        // vertices declared before this line
    std::vector<int32_t> points;      // 0-based file vertex indices, filled later
};

// An `o` (or `g`) statement, or the implicit section before the first.
struct Section {
    std::string name;
    int32_t line = 0;  // 0 for the implicit section
};

struct Scan {
    std::vector<Section> sections;
    std::vector<int32_t> vertexSection;  // file vertex -> section that declared it
    std::vector<ElementStatement> elements;
    std::string forLibrary;              // the text as handed to tinyobjloader
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        size_t j = i;
        while (j < line.size() && !IsBlank(line[j])) ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

bool IsNumber(std::string_view s) {
    double value = 0;
    const char *end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool IsInteger(std::string_view s) {
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    int32_t value = 0;
    const char *end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// "v", "v/t", "v//n" or "v/t/n" with a non-zero integer v.
bool IsIndexTriple(std::string_view s, std::string &why) {
    const size_t slash = s.find('/');
    const std::string_view v = s.substr(0, slash);
    if (!IsInteger(v)) {
        why = "'" + std::string(s) + "' is not a vertex index";
        return false;
    }
    if (v == "0" || v == "-0" || v == "+0") {
        why = "vertex index 0 (indices start at 1)";
        return false;
    }
    if (slash == std::string_view::npos) return true;
    std::string_view rest = s.substr(slash + 1);
    const size_t slash2 = rest.find('/');
    const std::string_view t = rest.substr(0, slash2);
    const std::string_view n = slash2 == std::string_view::npos ? std::string_view{} : rest.substr(slash2 + 1);
    if ((!t.empty() && !IsInteger(t)) || (!n.empty() && !IsInteger(n)) ||
        (slash2 != std::string_view::npos && n.empty()) || n.find('/') != std::string_view::npos) {
        why = "'" + std::string(s) + "' is not a vertex/texture/normal index";
        return false;
    }
    return true;
}

[[noreturn]] void Fail(const std::string &file, int32_t line, const std::string &what) {
    throw InputError(file + ":" + std::to_string(line) + ": " + what);
}

std::string JoinNames(const std::vector<std::string_view> &tokens) {
    std::string name;
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (i > 1) name += ' ';
        name += tokens[i];
    }
    return name;
}

// Reads the statements that decide the file's structure and checks every
// one of them, so that what tinyobjloader then parses is known to be sound.
// `l` and `p` statements are handed to the library as `f` statements: its
// callback interface reports faces of any size in file order, but not lines
// or points.
Scan ScanText(const std::string &text, const std::string &file, const std::string &defaultName) {
    Scan scan;
    scan.sections.push_back({defaultName, 0});
    scan.forLibrary.reserve(text.size());

    // With any `o` in the file, `g` only groups faces inside an object.
    bool hasObjects = false;
    {
        std::istringstream probe(text);
        std::string line;
        while (std::getline(probe, line)) {
            const size_t i = line.find_first_not_of(" \t");
            if (i != std::string::npos && line[i] == 'o' && i + 1 < line.size() && IsBlank(line[i + 1])) {
                hasObjects = true;
                break;
            }
        }
    }

    std::istringstream in(text);
    std::string line;
    int32_t lineNo = 0;
    int32_t vertices = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const auto tokens = Tokens(line);
        std::string_view key = tokens.empty() ? std::string_view{} : tokens[0];
        if (key.empty() || key[0] == '#') {
            scan.forLibrary += '\n';
            continue;
        }
        if (key == "v") {
            if (tokens.size() < 4) Fail(file, lineNo, "a vertex needs three coordinates");
            for (size_t i = 1; i < tokens.size(); ++i)
                if (!IsNumber(tokens[i])) Fail(file, lineNo, "'" + std::string(tokens[i]) + "' is not a number");
            scan.vertexSection.push_back(static_cast<int32_t>(scan.sections.size()) - 1);
            ++vertices;
            scan.forLibrary += line;
        } else if (key == "f" || key == "l" || key == "p") {
            const ElementKind kind = key == "f" ? ElementKind::Face : key == "l" ? ElementKind::Line : ElementKind::Point;
            const size_t n = tokens.size() - 1;
            if (n == 0) Fail(file, lineNo, std::string("'") + std::string(key) + "' without points");
            if (kind == ElementKind::Line && n < 2) Fail(file, lineNo, "a line needs at least two points");
            std::string why;
            for (size_t i = 1; i < tokens.size(); ++i)
                if (!IsIndexTriple(tokens[i], why)) Fail(file, lineNo, why);
            ElementStatement element;
            element.kind = kind;
            element.line = lineNo;
            element.section = static_cast<int32_t>(scan.sections.size()) - 1;
            element.verticesSoFar = vertices;
            scan.elements.push_back(std::move(element));
            scan.forLibrary += 'f';
            scan.forLibrary.append(line, line.find(key) + 1);
        } else if (key == "o" || (key == "g" && !hasObjects)) {
            std::string name = JoinNames(tokens);
            if (name.empty()) name = defaultName + "#" + std::to_string(scan.sections.size());
            scan.sections.push_back({std::move(name), lineNo});
        } else {
            // Normals, texture coordinates, materials, smoothing groups,
            // and `g` inside an object: nothing the selection needs.
        }
        scan.forLibrary += '\n';
    }
    return scan;
}

struct Collected {
    std::vector<MQPoint> positions;
    std::vector<std::vector<int32_t>> raw;  // raw OBJ vertex indices per element
};

void OnVertex(void *user, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
    static_cast<Collected *>(user)->positions.push_back({x, y, z});
}

void OnIndices(void *user, tinyobj::index_t *indices, int count) {
    std::vector<int32_t> raw;
    raw.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) raw.push_back(indices[i].vertex_index);
    static_cast<Collected *>(user)->raw.push_back(std::move(raw));
}

} // namespace

std::vector<LoadedObject> LoadObjText(const std::string &text, const std::string &displayName,
                                      standin::Document &document) {
    const std::string stem = std::filesystem::path(displayName).stem().string();
    Scan scan = ScanText(text, displayName, stem.empty() ? "object" : stem);

    Collected collected;
    tinyobj::callback_t callbacks;
    callbacks.vertex_cb = OnVertex;
    callbacks.index_cb = OnIndices;
    std::istringstream stream(scan.forLibrary);
    std::string warn, err;
    if (!tinyobj::LoadObjWithCallback(stream, callbacks, &collected, nullptr, &warn, &err) || !err.empty())
        throw InputError(displayName + ": " + (err.empty() ? "unreadable OBJ" : err));
    if (collected.positions.size() != scan.vertexSection.size() || collected.raw.size() != scan.elements.size())
        throw InputError(displayName + ": the OBJ reader and the scan disagree on the file's contents");

    // Resolve indices: positive ones count from 1, negative ones back from
    // the last vertex declared before the statement.
    const auto vertexCount = static_cast<int32_t>(collected.positions.size());
    for (size_t e = 0; e < scan.elements.size(); ++e) {
        ElementStatement &element = scan.elements[e];
        for (int32_t raw : collected.raw[e]) {
            const int32_t index = raw > 0 ? raw - 1 : element.verticesSoFar + raw;
            if (raw > vertexCount || index < 0 || index >= vertexCount) {
                Fail(displayName, element.line,
                     "vertex index " + std::to_string(raw) + " is out of range (" +
                         (raw > 0 ? std::to_string(vertexCount) + " vertices in the file"
                                  : std::to_string(element.verticesSoFar) + " vertices declared before this line") +
                         ")");
            }
            element.points.push_back(index);
        }
    }

    // Which sections become objects: every declared one, and the implicit
    // one before them when it holds elements or there is no other.
    const auto sectionCount = static_cast<int32_t>(scan.sections.size());
    std::vector<int32_t> elementCount(static_cast<size_t>(sectionCount), 0);
    for (const auto &element : scan.elements) ++elementCount[static_cast<size_t>(element.section)];
    const bool implicitIsObject = elementCount[0] > 0 || sectionCount == 1;
    auto objectOfSection = [&](int32_t section) {
        return implicitIsObject ? section : std::max(section - 1, 0);
    };
    const int32_t objectCount = implicitIsObject ? sectionCount : sectionCount - 1;

    std::vector<std::vector<uint8_t>> member(static_cast<size_t>(objectCount),
                                             std::vector<uint8_t>(static_cast<size_t>(vertexCount), 0));
    std::vector<uint8_t> used(static_cast<size_t>(vertexCount), 0);
    for (const auto &element : scan.elements)
        for (int32_t v : element.points) {
            member[static_cast<size_t>(objectOfSection(element.section))][static_cast<size_t>(v)] = 1;
            used[static_cast<size_t>(v)] = 1;
        }
    for (int32_t v = 0; v < vertexCount; ++v)
        if (!used[static_cast<size_t>(v)])
            member[static_cast<size_t>(objectOfSection(scan.vertexSection[static_cast<size_t>(v)]))][static_cast<size_t>(v)] = 1;

    // Everything is known to be sound: only now does the document change.
    std::vector<LoadedObject> loaded;
    for (int32_t o = 0; o < objectCount; ++o) {
        const Section &section = scan.sections[static_cast<size_t>(implicitIsObject ? o : o + 1)];
        LoadedObject info;
        info.name = section.name;
        info.file = displayName;
        info.documentIndex = document.AddObject(section.name);
        standin::Object &object = *document.ObjectAt(info.documentIndex);
        std::vector<int32_t> local(static_cast<size_t>(vertexCount), -1);
        for (int32_t v = 0; v < vertexCount; ++v) {
            if (!member[static_cast<size_t>(o)][static_cast<size_t>(v)]) continue;
            local[static_cast<size_t>(v)] = object.AddVertex(collected.positions[static_cast<size_t>(v)]);
            info.fileVertex.push_back(v);
        }
        for (const auto &element : scan.elements) {
            if (objectOfSection(element.section) != o) continue;
            std::vector<int32_t> points;
            for (int32_t v : element.points) points.push_back(local[static_cast<size_t>(v)]);
            auto add = [&](std::span<const int32_t> face) {
                object.AddFace(face);
                info.sourceLine.push_back(element.line);
            };
            switch (element.kind) {
            case ElementKind::Face: add(points); break;
            case ElementKind::Line:
                for (size_t i = 0; i + 1 < points.size(); ++i) add(std::span<const int32_t>(points).subspan(i, 2));
                break;
            case ElementKind::Point:
                for (size_t i = 0; i < points.size(); ++i) add(std::span<const int32_t>(points).subspan(i, 1));
                break;
            }
        }
        loaded.push_back(std::move(info));
    }
    return loaded;
}

std::vector<LoadedObject> LoadObjFile(const std::string &path, standin::Document &document) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw InputError(path + ": no such file");
    if (std::filesystem::is_directory(path, ec)) throw InputError(path + ": is a directory, not an OBJ file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError(path + ": read error");
    return LoadObjText(text.str(), path, document);
}

} // namespace vexcli
