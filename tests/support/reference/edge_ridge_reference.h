// A slow, literal version of commands 14 ("Edge") and 15 ("Ridge"), for
// differential tests only.
//
// It reads the object through the mesh model's queries, one step at a time:
// every line of every live face goes into a map from edge key to all its
// occurrences (in the order found), the selection is asked for every line
// as the line is met, and the object's index is looked up before every
// selection call. No sorting, no chains, no edge table: only the rules.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "host/host_api.h"
#include "mesh/cmq_object.h"
#include "tests/support/element_walks.h"
#include "commands/options.h"
#include "select/ridge_window.h"
#include "mesh/vector_math.h"

namespace reference {

// The command on one object. Returns 0 for a command other than 14 and 15,
// and 0 without touching anything when a live face has fewer than two
// points; otherwise clears the document's selection (unless "All objects"
// is set), adds the chosen lines and returns 1.
inline int EdgeRidge(cmq::CMQObject &object, const vexolin::Options &input) {
    if (input.commandNumber != 14 && input.commandNumber != 15) return 0;
    const auto index = [&] { return hostapi::MQDoc_GetObjectIndex(object.document, object.object); };
    std::unordered_map<int64_t, std::vector<cmq::CMQLine>> table;
    std::vector<int64_t> order;
    std::unordered_map<int64_t, bool> candidates;
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const std::vector<int32_t> p = object.GetFacePoints(it.index);
        const int32_t n = static_cast<int32_t>(p.size());
        if (n < 2) return 0;
        for (int32_t k = 0; k < n; ++k) {
            const cmq::CMQLineEnds ab = object.GetLine(it.index, k);
            const int64_t key = cmq::EdgeKey(ab.start, ab.end);
            const bool covered = hostapi::MQDoc_IsSelectLine(object.document, index(), it.index, k) != 0 ||
                                 hostapi::MQDoc_IsSelectFace(object.document, index(), it.index) != 0 ||
                                 (hostapi::MQDoc_IsSelectVertex(object.document, index(), ab.start) != 0 &&
                                  hostapi::MQDoc_IsSelectVertex(object.document, index(), ab.end) != 0);
            if (covered) candidates[key] = true;
            auto [at, fresh] = table.try_emplace(key);
            if (fresh) order.push_back(key);
            at->second.push_back({it.index, k});
        }
    }
    if (!input.allObjects) hostapi::MQDoc_ClearSelect(object.document, MQ_SELECT_ALL);
    const selection::RidgeWindow window = selection::RidgeWindow::From(input);
    const auto add = [&](const cmq::CMQLine &l) {
        hostapi::MQDoc_AddSelectLine(object.document, index(), l.face, l.line);
    };
    for (const int64_t key : order) {
        if (!candidates.empty() && candidates.count(key) == 0) continue;
        const std::vector<cmq::CMQLine> &lines = table[key];
        if (input.commandNumber == 14) {
            if (lines.size() == 1) add(lines[0]);
            continue;
        }
        if (lines.size() != 2) continue;
        const cmq::CMQVec3 m1 = cmq::vmath::Normalise(object.GetLineNormal(lines[0].face, lines[0].line));
        const cmq::CMQVec3 m2 = cmq::vmath::Normalise(object.GetLineNormal(lines[1].face, lines[1].line));
        const cmq::CMQVec3 p = object.GetLineSidePoint(lines[0].face, lines[0].line);
        const cmq::CMQVec3 e = object.GetVertexPosition(object.GetLine(lines[1].face, lines[1].line).start);
        const float s = cmq::vmath::Dot(p, m2) - cmq::vmath::Dot(e, m2);
        const double sign = s < 0.0f ? -1.0 : 1.0;
        const float fold = static_cast<float>(static_cast<double>(selection::JointAngle(cmq::vmath::Dot(m1, m2))) * sign);
        if (window.Contains(fold)) {
            add(lines[0]);
            add(lines[1]);
        }
    }
    return 1;
}

} // namespace reference
