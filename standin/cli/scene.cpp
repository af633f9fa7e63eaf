#include "standin/cli/scene.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <set>

namespace standin::cli {
namespace {

std::string Trim(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> Split(const std::string &text, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(sep, start);
        out.push_back(Trim(text.substr(start, at == std::string::npos ? std::string::npos : at - start)));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return out;
}

std::optional<int32_t> ToInt(const std::string &s) {
    int32_t v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<float> ToFloat(const std::string &s) {
    float v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

int32_t NonNegative(const std::string &s, const std::string &what) {
    const auto v = ToInt(s);
    if (!v || *v < 0) throw InputError(what + ": '" + s + "' is not an index (0 or more)");
    return *v;
}

// Typed access to a JSON value, with the path in every error.
template <typename T>
T As(const nlohmann::json &value, const std::string &path) {
    try {
        if constexpr (std::is_same_v<T, int32_t>) {
            if (!value.is_number_integer()) throw InputError(path + ": expected an integer");
        } else if constexpr (std::is_same_v<T, bool>) {
            if (!value.is_boolean()) throw InputError(path + ": expected true or false");
        } else if constexpr (std::is_same_v<T, float>) {
            if (!value.is_number()) throw InputError(path + ": expected a number");
            // A number that rounds to infinity in single precision would be
            // written back as null, which no run could read again.
            constexpr double kRoundsToInfinity = 0x1p128 - 0x1p103;
            if (!(std::fabs(value.get<double>()) < kRoundsToInfinity))
                throw InputError(path + ": " + value.dump() + " is too large for a single-precision number");
        } else if constexpr (std::is_same_v<T, std::string>) {
            if (!value.is_string()) throw InputError(path + ": expected a string");
        }
        return value.get<T>();
    } catch (const nlohmann::json::exception &e) {
        throw InputError(path + ": " + e.what());
    }
}

// The array under `key`; `path` names that value in errors ("FILE: a.b").
const nlohmann::json &ArrayAt(const nlohmann::json &object, const char *key, const std::string &path) {
    const nlohmann::json &value = object.at(key);
    if (!value.is_array()) throw InputError(path + ": expected an array");
    return value;
}

void CheckSelection(const ObjectSetup &entry, const standin::Object &object, const std::string &label) {
    for (int32_t v : entry.vertices)
        if (!object.IsVertex(v))
            throw InputError(label + ": vertex " + std::to_string(v) + " is out of range (the object has " +
                             std::to_string(object.VertexCount()) + " vertices)");
    for (int32_t f : entry.faces)
        if (!object.IsFace(f) || object.PointCount(f) == 0)
            throw InputError(label + ": face " + std::to_string(f) + " is out of range (the object has " +
                             std::to_string(object.FaceCount()) + " faces)");
    for (const auto &l : entry.lines) {
        if (!object.IsFace(l.face) || object.PointCount(l.face) == 0)
            throw InputError(label + ": line " + std::to_string(l.face) + ":" + std::to_string(l.line) +
                             " names face " + std::to_string(l.face) + ", which is out of range (the object has " +
                             std::to_string(object.FaceCount()) + " faces)");
        if (!object.IsLine(l.face, l.line))
            throw InputError(label + ": line " + std::to_string(l.face) + ":" + std::to_string(l.line) +
                             " is out of range (face " + std::to_string(l.face) + " has " +
                             std::to_string(object.PointCount(l.face)) + " lines)");
    }
}

} // namespace

int32_t ResolveObject(const std::string &ref, const standin::Document &document) {
    if (const auto index = ToInt(ref)) {
        if (document.ObjectAt(*index) == nullptr)
            throw InputError("object " + ref + " does not exist (the document has " +
                             std::to_string(document.ObjectCount()) + " objects, numbered from 0)");
        return *index;
    }
    int32_t found = -1;
    std::string names;
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        names += (names.empty() ? "" : ", ") + ("'" + o->Name() + "'");
        if (o->Name() != ref) continue;
        if (found >= 0) throw InputError("object name '" + ref + "' is ambiguous; use its index");
        found = i;
    }
    if (found < 0) throw InputError("no object named '" + ref + "' (objects: " + names + ")");
    return found;
}

std::pair<std::string, std::string> SplitTarget(const std::string &text) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return {"", text};
    return {Trim(text.substr(0, eq)), text.substr(eq + 1)};
}

std::vector<int32_t> ParseIndexList(const std::string &text, const std::string &what) {
    std::vector<int32_t> out;
    if (Trim(text).empty()) return out;
    for (const std::string &item : Split(text, ',')) {
        const size_t dash = item.find('-', 1);
        if (dash == std::string::npos) {
            out.push_back(NonNegative(item, what));
            continue;
        }
        const int32_t a = NonNegative(Trim(item.substr(0, dash)), what);
        const int32_t b = NonNegative(Trim(item.substr(dash + 1)), what);
        if (b < a) throw InputError(what + ": range '" + item + "' runs backwards");
        if (b - a > 10'000'000) throw InputError(what + ": range '" + item + "' is too large");
        for (int32_t i = a; i <= b; ++i) out.push_back(i);
    }
    return out;
}

std::vector<standin::LineRef> ParseLineList(const std::string &text, const std::string &what) {
    std::vector<standin::LineRef> out;
    if (Trim(text).empty()) return out;
    for (const std::string &item : Split(text, ',')) {
        const size_t colon = item.find(':');
        if (colon == std::string::npos)
            throw InputError(what + ": '" + item + "' is not a line; write face:line, e.g. 4:1");
        out.push_back({NonNegative(Trim(item.substr(0, colon)), what), NonNegative(Trim(item.substr(colon + 1)), what)});
    }
    return out;
}

standin::Matrix ParseMatrix(const std::string &text, const std::string &what) {
    const auto items = Split(text, ',');
    if (items.size() != 16)
        throw InputError(what + ": a matrix needs 16 numbers, got " + std::to_string(items.size()));
    standin::Matrix m{};
    for (size_t i = 0; i < 16; ++i) {
        const auto v = ToFloat(items[i]);
        if (!v) throw InputError(what + ": '" + items[i] + "' is not a number");
        m[i] = *v;
    }
    return m;
}

SceneSetup SceneFromJson(const nlohmann::json &json, const std::string &source) {
    if (!json.is_object()) throw InputError(source + ": expected a JSON object at the top");
    SceneSetup scene;
    if (json.contains("current_object")) {
        const auto &c = json["current_object"];
        if (c.is_number_integer()) scene.current = std::to_string(c.get<int64_t>());
        else scene.current = As<std::string>(c, source + ": current_object");
    }
    if (!json.contains("objects")) return scene;
    const auto &objects = ArrayAt(json, "objects", source + ": objects");
    for (size_t i = 0; i < objects.size(); ++i) {
        const std::string path = source + ": objects[" + std::to_string(i) + "]";
        const auto &o = objects[i];
        if (!o.is_object()) throw InputError(path + ": expected an object");
        ObjectSetup entry;
        if (o.contains("index")) entry.object = std::to_string(As<int32_t>(o["index"], path + ".index"));
        else if (o.contains("name")) entry.object = As<std::string>(o["name"], path + ".name");
        else throw InputError(path + ": needs \"index\" or \"name\"");
        if (o.contains("locked")) entry.locked = As<bool>(o["locked"], path + ".locked");
        if (o.contains("matrix")) {
            const auto &m = ArrayAt(o, "matrix", path + ".matrix");
            if (m.size() != 16) throw InputError(path + ".matrix: a matrix needs 16 numbers");
            standin::Matrix matrix{};
            for (size_t k = 0; k < 16; ++k) matrix[k] = As<float>(m[k], path + ".matrix[" + std::to_string(k) + "]");
            entry.matrix = matrix;
        }
        if (o.contains("selection")) {
            const auto &s = o["selection"];
            const std::string sp = path + ".selection";
            if (!s.is_object()) throw InputError(sp + ": expected an object");
            auto indices = [&](const char *key, std::vector<int32_t> &into) {
                if (!s.contains(key)) return;
                const auto &a = ArrayAt(s, key, sp + "." + key);
                for (size_t k = 0; k < a.size(); ++k) {
                    const std::string ip = sp + "." + key + "[" + std::to_string(k) + "]";
                    const int32_t v = As<int32_t>(a[k], ip);
                    if (v < 0) throw InputError(ip + ": negative index");
                    into.push_back(v);
                }
            };
            indices("vertices", entry.vertices);
            indices("faces", entry.faces);
            if (s.contains("lines")) {
                const auto &a = ArrayAt(s, "lines", sp + ".lines");
                for (size_t k = 0; k < a.size(); ++k) {
                    const std::string lp = sp + ".lines[" + std::to_string(k) + "]";
                    if (!a[k].is_array() || a[k].size() != 2) throw InputError(lp + ": expected [face, line]");
                    const int32_t f = As<int32_t>(a[k][0], lp + "[0]");
                    const int32_t l = As<int32_t>(a[k][1], lp + "[1]");
                    if (f < 0 || l < 0) throw InputError(lp + ": negative index");
                    entry.lines.push_back({f, l});
                }
            }
        }
        scene.objects.push_back(std::move(entry));
    }
    return scene;
}

SceneSetup ReadSceneFile(const std::string &path) {
    std::ifstream in(path);
    if (!in) throw InputError(path + ": cannot be read");
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(in);
    } catch (const nlohmann::json::exception &e) {
        // Syntax errors, and numbers beyond a double (out_of_range), which
        // the parser reports while it reads.
        std::string what = e.what();
        size_t at = what.find("parse error");
        if (at == std::string::npos) at = what.find("number overflow");
        throw InputError(path + ": not valid JSON: " + (at == std::string::npos ? what : what.substr(at)));
    }
    return SceneFromJson(json, path);
}

void ApplyScene(const SceneSetup &scene, standin::Document &document) {
    int32_t current = document.currentObject;
    if (scene.current) current = ResolveObject(*scene.current, document);
    std::vector<int32_t> targets;
    for (const auto &entry : scene.objects) {
        const int32_t index = entry.object.empty() ? current : ResolveObject(entry.object, document);
        const standin::Object *object = document.ObjectAt(index);
        if (object == nullptr) throw InputError("there is no current object to select in");
        CheckSelection(entry, *object, "object " + std::to_string(index) + " '" + object->Name() + "'");
        targets.push_back(index);
    }
    document.currentObject = current;
    for (size_t i = 0; i < targets.size(); ++i) {
        const ObjectSetup &entry = scene.objects[i];
        standin::Object &object = *document.ObjectAt(targets[i]);
        if (entry.locked) object.locked = *entry.locked;
        if (entry.matrix) object.matrix = *entry.matrix;
        for (int32_t v : entry.vertices) object.SelectVertex(v, true);
        for (int32_t f : entry.faces) object.SelectFace(f, true);
        for (const auto &l : entry.lines) object.SelectLine(l.face, l.line, true);
    }
}

nlohmann::json SelectionToJson(const standin::Document &document, const std::vector<LoadedObject> &loaded) {
    nlohmann::json objects = nlohmann::json::array();
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        nlohmann::json lines = nlohmann::json::array();
        for (const auto &l : o->SelectedLines()) lines.push_back({l.face, l.line});
        nlohmann::json entry = {
            {"index", i},
            {"name", o->Name()},
            {"locked", o->locked},
            {"matrix", o->matrix},
            {"vertex_count", o->VertexCount()},
            {"face_count", o->FaceCount()},
            {"selection", {{"vertices", o->SelectedVertices()}, {"lines", lines}, {"faces", o->SelectedFaces()}}},
        };
        for (const auto &info : loaded)
            if (info.documentIndex == i) entry["file"] = info.file;
        objects.push_back(std::move(entry));
    }
    return {{"current_object", document.currentObject}, {"objects", objects}};
}

} // namespace standin::cli
