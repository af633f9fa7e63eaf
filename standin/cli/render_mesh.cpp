#include "standin/cli/render_mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <cairo.h>

#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace vexcli {
namespace {

constexpr double kMargin = 24.0;

void SetColour(cairo_t *cr, const std::array<uint8_t, 3> &c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, alpha);
}

MQPoint At(const standin::Object &object, int32_t v) { return object.Position(v); }

struct FaceToDraw {
    const standin::Object *object;
    int32_t face;
    double depth;
};

} // namespace

View ParseView(const std::string &name) {
    if (name == "front") return View::Front;
    if (name == "side") return View::Side;
    if (name == "top") return View::Top;
    if (name == "three-quarter" || name == "3q") return View::ThreeQuarter;
    throw InputError("invalid view '" + name + "': use front, side, top or three-quarter");
}

const char *ViewName(View view) {
    switch (view) {
    case View::Front: return "front";
    case View::Side: return "side";
    case View::Top: return "top";
    case View::ThreeQuarter: return "three-quarter";
    }
    return "?";
}

std::array<double, 3> Projector::Rotate(MQPoint p) const {
    const double x = static_cast<double>(p.x), y = static_cast<double>(p.y), z = static_cast<double>(p.z);
    switch (view_) {
    case View::Front: return {x, y, -z};          // looking along -z
    case View::Side: return {-z, y, -x};          // from +x, looking along -x
    case View::Top: return {x, -z, -y};           // from +y, looking down
    case View::ThreeQuarter: {
        // From front, right and above: the eye lies along `back`.
        const double bx = 0.6, by = 0.5, bz = 1.0;
        const double bl = std::sqrt(bx * bx + by * by + bz * bz);
        const double b[3] = {bx / bl, by / bl, bz / bl};
        double r[3] = {b[2], 0.0, -b[0]};  // (0,1,0) x back
        const double rl = std::sqrt(r[0] * r[0] + r[2] * r[2]);
        r[0] /= rl;
        r[2] /= rl;
        const double u[3] = {b[1] * r[2] - b[2] * r[1], b[2] * r[0] - b[0] * r[2], b[0] * r[1] - b[1] * r[0]};
        return {x * r[0] + y * r[1] + z * r[2], x * u[0] + y * u[1] + z * u[2], -(x * b[0] + y * b[1] + z * b[2])};
    }
    }
    return {x, y, -z};
}

Projector::Projector(const standin::Document &document, const RenderOptions &options) : view_(options.view) {
    double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (int32_t v = 0; v < o->VertexCount(); ++v) {
            const auto s = Rotate(o->Position(v));
            minX = std::min(minX, s[0]);
            maxX = std::max(maxX, s[0]);
            minY = std::min(minY, s[1]);
            maxY = std::max(maxY, s[1]);
        }
    }
    if (!(minX <= maxX)) minX = maxX = minY = maxY = 0.0;
    const double areaW = options.width - 2 * kMargin;
    const double areaH = options.height - kLegendHeight - 2 * kMargin;
    const double dx = maxX - minX, dy = maxY - minY;
    const double sx = dx > 0 ? areaW / dx : std::numeric_limits<double>::infinity();
    const double sy = dy > 0 ? areaH / dy : std::numeric_limits<double>::infinity();
    scale_ = std::min(sx, sy);
    if (!std::isfinite(scale_)) scale_ = 1.0;
    offsetX_ = kMargin + areaW / 2 - (minX + maxX) / 2 * scale_;
    offsetY_ = kMargin + areaH / 2 + (minY + maxY) / 2 * scale_;
}

std::array<double, 2> Projector::ToPixel(MQPoint p) const {
    const auto s = Rotate(p);
    return {offsetX_ + s[0] * scale_, offsetY_ - s[1] * scale_};
}

double Projector::Depth(MQPoint p) const { return Rotate(p)[2]; }

std::string RenderMeshPng(const standin::Document &document, const RenderOptions &options) {
    if (options.width < 64 || options.width > 8192 || options.height < 64 + kLegendHeight || options.height > 8192)
        throw InputError("invalid picture size " + std::to_string(options.width) + "x" +
                         std::to_string(options.height) + ": use 64 to 8192 wide and " +
                         std::to_string(64 + kLegendHeight) + " to 8192 high");
    const Projector projector(document, options);
    auto surface = MakeSurface(options.width, options.height);
    cairo_t *cr = cairo_create(surface.get());
    SetColour(cr, kBackgroundColour);
    cairo_paint(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    auto path = [&](const standin::Object &o, std::span<const int32_t> points) {
        for (size_t k = 0; k < points.size(); ++k) {
            const auto p = projector.ToPixel(At(o, points[k]));
            if (k == 0) cairo_move_to(cr, p[0], p[1]);
            else cairo_line_to(cr, p[0], p[1]);
        }
    };

    // Faces of three or more points, far ones first.
    std::vector<FaceToDraw> faces;
    int64_t selVertices = 0, selLines = 0, selFaces = 0;
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        selVertices += static_cast<int64_t>(o->SelectedVertices().size());
        selLines += static_cast<int64_t>(o->SelectedLines().size());
        selFaces += static_cast<int64_t>(o->SelectedFaces().size());
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            if (o->PointCount(f) < 3) continue;
            double depth = 0;
            for (int32_t v : o->Points(f)) depth += projector.Depth(At(*o, v));
            faces.push_back({o, f, depth / o->PointCount(f)});
        }
    }
    std::stable_sort(faces.begin(), faces.end(), [](const FaceToDraw &a, const FaceToDraw &b) { return a.depth > b.depth; });
    for (const auto &face : faces) {
        path(*face.object, face.object->Points(face.face));
        cairo_close_path(cr);
        SetColour(cr, face.object->IsFaceSelected(face.face) ? kSelectedFaceColour : kFaceColour);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.35, 0.37, 0.42);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }

    // Two-point and one-point faces, then the highlights on top.
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            const auto points = o->Points(f);
            if (points.size() == 2) {
                path(*o, points);
                cairo_set_source_rgb(cr, 0.35, 0.37, 0.42);
                cairo_set_line_width(cr, 1.5);
                cairo_stroke(cr);
            } else if (points.size() == 1) {
                const auto p = projector.ToPixel(At(*o, points[0]));
                cairo_arc(cr, p[0], p[1], 2.5, 0, 2 * M_PI);
                cairo_set_source_rgb(cr, 0.35, 0.37, 0.42);
                cairo_fill(cr);
            }
        }
    }
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (const auto &line : o->SelectedLines()) {
            const auto points = o->Points(line.face);
            const int32_t a = points[static_cast<size_t>(line.line)];
            const int32_t b = points[(static_cast<size_t>(line.line) + 1) % points.size()];
            const auto pa = projector.ToPixel(At(*o, a));
            const auto pb = projector.ToPixel(At(*o, b));
            cairo_move_to(cr, pa[0], pa[1]);
            cairo_line_to(cr, pb[0], pb[1]);
            SetColour(cr, kSelectedLineColour);
            cairo_set_line_width(cr, 4.0);
            cairo_stroke(cr);
        }
        for (int32_t v : o->SelectedVertices()) {
            const auto p = projector.ToPixel(At(*o, v));
            cairo_arc(cr, p[0], p[1], 4.5, 0, 2 * M_PI);
            SetColour(cr, kSelectedVertexColour);
            cairo_fill(cr);
        }
    }

    // Legend.
    const double top = options.height - kLegendHeight;
    cairo_rectangle(cr, 0, top, options.width, kLegendHeight);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.96);
    cairo_fill(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 14);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_move_to(cr, 10, top + 22);
    const std::string title = (options.title.empty() ? std::string("selection") : options.title) + "  (" +
                              ViewName(options.view) + " view)";
    cairo_show_text(cr, title.c_str());
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    double x = 10;
    const double y = top + 46;
    auto swatch = [&](const std::array<uint8_t, 3> &colour, const std::string &text) {
        cairo_rectangle(cr, x, y - 10, 12, 12);
        SetColour(cr, colour);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, x + 16, y);
        cairo_show_text(cr, text.c_str());
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text.c_str(), &extents);
        x += 16 + extents.x_advance + 18;
    };
    swatch(kSelectedVertexColour, std::to_string(selVertices) + " vertices");
    swatch(kSelectedLineColour, std::to_string(selLines) + " lines");
    swatch(kSelectedFaceColour, std::to_string(selFaces) + " faces selected");

    cairo_destroy(cr);
    return EncodePng(surface.get());
}

} // namespace vexcli
