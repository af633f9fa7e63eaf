#include "standin/cli/summary.h"

namespace standin::cli {
namespace {

std::string Plural(size_t n, const char *word) {
    if (n == 1) return "1 " + std::string(word);
    if (std::string(word) == "vertex") return std::to_string(n) + " vertices";
    return std::to_string(n) + " " + word + "s";
}

std::string Counts(const SelectionCounts &c) {
    if (c.vertices == 0 && c.lines == 0 && c.faces == 0) return "nothing";
    std::string out;
    auto add = [&](size_t n, const char *word) {
        if (n == 0) return;
        out += (out.empty() ? "" : ", ") + Plural(n, word);
    };
    add(c.vertices, "vertex");
    add(c.lines, "line");
    add(c.faces, "face");
    return out;
}

std::string Delta(size_t before, size_t after, const char *word) {
    if (before == after) return {};
    const bool more = after > before;
    const size_t d = more ? after - before : before - after;
    return std::string(more ? "+" : "-") + Plural(d, word);
}

nlohmann::json CountsJson(const SelectionCounts &c) {
    return {{"vertices", c.vertices}, {"lines", c.lines}, {"faces", c.faces}};
}

} // namespace

std::vector<SelectionCounts> CountSelection(const standin::Document &document) {
    std::vector<SelectionCounts> out;
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        SelectionCounts c;
        if (const standin::Object *o = document.ObjectAt(i)) {
            c.name = o->Name();
            c.vertices = o->SelectedVertices().size();
            c.lines = o->SelectedLines().size();
            c.faces = o->SelectedFaces().size();
        }
        out.push_back(std::move(c));
    }
    return out;
}

std::string DescribeChanges(const standin::Document &document, const std::vector<SelectionCounts> &before) {
    const auto after = CountSelection(document);
    std::string out;
    for (size_t i = 0; i < after.size(); ++i) {
        const standin::Object *o = document.ObjectAt(static_cast<int32_t>(i));
        if (o == nullptr) continue;
        const SelectionCounts was = i < before.size() ? before[i] : SelectionCounts{};
        const SelectionCounts &now = after[i];
        out += "  object " + std::to_string(i) + " \"" + o->Name() + "\"";
        if (static_cast<int32_t>(i) == document.currentObject) out += " (current)";
        if (o->locked) out += " (locked)";
        out += ": " + Counts(now) + " selected";
        std::string delta;
        for (const std::string &d : {Delta(was.vertices, now.vertices, "vertex"), Delta(was.lines, now.lines, "line"),
                                     Delta(was.faces, now.faces, "face")})
            if (!d.empty()) delta += (delta.empty() ? "" : ", ") + d;
        if (delta.empty()) out += " (counts unchanged)";
        else out += " (" + delta + "; was " + Counts(was) + ")";
        out += "\n";
    }
    return out;
}

nlohmann::json ChangesToJson(const standin::Document &document, const std::vector<SelectionCounts> &before) {
    const auto after = CountSelection(document);
    nlohmann::json out = nlohmann::json::array();
    for (size_t i = 0; i < after.size(); ++i) {
        if (document.ObjectAt(static_cast<int32_t>(i)) == nullptr) continue;
        const SelectionCounts was = i < before.size() ? before[i] : SelectionCounts{};
        out.push_back({{"index", i}, {"name", after[i].name}, {"before", CountsJson(was)}, {"after", CountsJson(after[i])}});
    }
    return out;
}

} // namespace standin::cli
