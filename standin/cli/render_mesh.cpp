#include "standin/cli/render_mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <cairo.h>

#include "standin/cli/depth_buffer.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace standin::cli {
namespace {

constexpr double kMargin = 24.0;

void SetColour(cairo_t *cr, const std::array<uint8_t, 3> &c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, alpha);
}

MQPoint At(const standin::Object &object, int32_t v) { return object.Position(v); }

constexpr double kEdgeGrey[3] = {0.35, 0.37, 0.42};
// How strongly selected elements that nearer faces hide are drawn.
constexpr double kHiddenAlpha = 0.3;

struct FaceToDraw {
    const standin::Object *object;
    int32_t face;
    double depth;
    double shade = 1.0;  // 1: lit head-on, facing the viewer
};

struct Counts {
    int64_t vertices = 0, lines = 0, faces = 0;
};

// Everything a picture is drawn with.
struct Canvas {
    cairo_t *cr;
    const Projector &projector;
    const RenderOptions &options;
};

void Path(const Canvas &c, const standin::Object &o, std::span<const int32_t> points) {
    for (size_t k = 0; k < points.size(); ++k) {
        const auto p = c.projector.ToPixel(At(o, points[k]));
        if (k == 0) cairo_move_to(c.cr, p[0], p[1]);
        else cairo_line_to(c.cr, p[0], p[1]);
    }
}

void Segment(cairo_t *cr, std::array<double, 2> a, std::array<double, 2> b) {
    cairo_move_to(cr, a[0], a[1]);
    cairo_line_to(cr, b[0], b[1]);
}

void Dot(cairo_t *cr, std::array<double, 2> p, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, p[0], p[1], radius, 0, 2 * M_PI);
}

// Faces of three or more points, far ones first; the selection counts.
std::vector<FaceToDraw> FacesBackToFront(const standin::Document &document, const Projector &projector,
                                         Counts &counts) {
    std::vector<FaceToDraw> faces;
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        counts.vertices += static_cast<int64_t>(o->SelectedVertices().size());
        counts.lines += static_cast<int64_t>(o->SelectedLines().size());
        counts.faces += static_cast<int64_t>(o->SelectedFaces().size());
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            if (o->PointCount(f) < 3) continue;
            double depth = 0;
            for (int32_t v : o->Points(f)) depth += projector.Depth(At(*o, v));
            faces.push_back({o, f, depth / o->PointCount(f)});
        }
    }
    std::stable_sort(faces.begin(), faces.end(), [](const FaceToDraw &a, const FaceToDraw &b) { return a.depth > b.depth; });
    return faces;
}

// Light from the viewer: a face seen head-on at full strength, one seen
// edge-on darker, and a face turned away dimmer still. The modeller's faces
// list their points clockwise as seen from their front, so a face whose
// points run counter-clockwise on the screen shows its back.
double Shade(const standin::Object &o, int32_t f, const Projector &projector) {
    const auto points = o.Points(f);
    double n[3] = {0, 0, 0};
    for (size_t k = 0; k < points.size(); ++k) {
        const auto a = projector.ViewSpace(At(o, points[k]));
        const auto b = projector.ViewSpace(At(o, points[(k + 1) % points.size()]));
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0)) return 1.0;
    const double facing = std::fabs(n[2]) / length;
    return n[2] < 0 ? std::min(1.0, 0.55 + 0.45 * facing) : 0.35 + 0.25 * facing;
}

void SetShaded(cairo_t *cr, const std::array<uint8_t, 3> &c, double shade) {
    cairo_set_source_rgb(cr, c[0] / 255.0 * shade, c[1] / 255.0 * shade, c[2] / 255.0 * shade);
}

void DrawLegend(const Canvas &c, const Counts &counts, bool shaded) {
    cairo_t *cr = c.cr;
    const RenderOptions &options = c.options;
    const double top = options.height - kLegendHeight;
    cairo_rectangle(cr, 0, top, options.width, kLegendHeight);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.96);
    cairo_fill(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 14);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_move_to(cr, 10, top + 22);
    const std::string title = (options.title.empty() ? std::string("selection") : options.title) + "  (" +
                              ViewName(options.view) + " view" + (shaded ? "" : ", wireframe") + ")";
    cairo_show_text(cr, title.c_str());
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    double x = 10;
    const double y = top + 46;
    auto text = [&](const std::string &words) {
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, words.c_str());
        cairo_text_extents_t extents;
        cairo_text_extents(cr, words.c_str(), &extents);
        x += extents.x_advance + 18;
    };
    auto swatch = [&](const std::array<uint8_t, 3> &colour, const std::string &words) {
        cairo_rectangle(cr, x, y - 10, 12, 12);
        SetColour(cr, colour);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        x += 16;
        text(words);
    };
    swatch(kSelectedVertexColour, std::to_string(counts.vertices) + " vertices");
    swatch(kSelectedLineColour, std::to_string(counts.lines) + " lines");
    swatch(kSelectedFaceColour, std::to_string(counts.faces) + " faces selected");
    if (shaded) {
        cairo_set_source_rgb(cr, 0.35, 0.35, 0.38);
        text("faint: hidden behind nearer faces; darker faces: seen from the back");
    }
}

// Everything at once and flat: faces back to front, then every line and
// point, then every selected element on top, hidden or not.
void DrawFlat(const Canvas &c, const standin::Document &document, const std::vector<FaceToDraw> &faces) {
    cairo_t *cr = c.cr;
    for (const auto &face : faces) {
        Path(c, *face.object, face.object->Points(face.face));
        cairo_close_path(cr);
        SetColour(cr, face.object->IsFaceSelected(face.face) ? kSelectedFaceColour : kFaceColour);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2]);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }
    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            const auto points = o->Points(f);
            if (points.size() == 2) {
                Path(c, *o, points);
                cairo_set_source_rgb(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2]);
                cairo_set_line_width(cr, 1.5);
                cairo_stroke(cr);
            } else if (points.size() == 1) {
                Dot(cr, c.projector.ToPixel(At(*o, points[0])), 2.5);
                cairo_set_source_rgb(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2]);
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
            Segment(cr, c.projector.ToPixel(At(*o, a)), c.projector.ToPixel(At(*o, b)));
            SetColour(cr, kSelectedLineColour);
            cairo_set_line_width(cr, 4.0);
            cairo_stroke(cr);
        }
        for (int32_t v : o->SelectedVertices()) {
            Dot(cr, c.projector.ToPixel(At(*o, v)), 4.5);
            SetColour(cr, kSelectedVertexColour);
            cairo_fill(cr);
        }
    }
}

// Shaded: faces back to front, each with its edges, so nearer faces cover
// farther ones; then lines, points and the selection, each part of them
// that nearer faces hide drawn faintly.
void DrawShaded(const Canvas &c, const standin::Document &document, std::vector<FaceToDraw> &faces) {
    cairo_t *cr = c.cr;
    const Projector &projector = c.projector;
    DepthBuffer buffer(c.options.width, c.options.height - kLegendHeight);
    std::vector<std::array<double, 3>> corners;
    for (size_t k = 0; k < faces.size(); ++k) {
        FaceToDraw &face = faces[k];
        face.shade = Shade(*face.object, face.face, projector);
        corners.clear();
        for (int32_t v : face.object->Points(face.face)) {
            const MQPoint p = At(*face.object, v);
            const auto xy = projector.ToPixel(p);
            corners.push_back({xy[0], xy[1], projector.Depth(p)});
        }
        buffer.AddPolygon(corners, static_cast<int32_t>(k));
    }
    // A point counts as hidden when nearer faces cover it by more than the
    // depth two pixels span, so that surfaces through it do not hide it.
    const double tolerance = 2.0 / projector.Scale();
    auto hidden = [&](MQPoint p) {
        const auto xy = projector.ToPixel(p);
        return buffer.Hidden(xy[0], xy[1], projector.Depth(p), tolerance);
    };

    for (const auto &face : faces) {
        Path(c, *face.object, face.object->Points(face.face));
        cairo_close_path(cr);
        SetShaded(cr, face.object->IsFaceSelected(face.face) ? kSelectedFaceColour : kFaceColour, face.shade);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2], 0.8);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }

    // A segment in pieces of about three pixels, each drawn at full
    // strength where it can be seen and faintly where it is hidden.
    auto segment = [&](MQPoint a, MQPoint b, const std::array<uint8_t, 3> &colour, bool selectedColour, double width) {
        const auto pa = projector.ToPixel(a), pb = projector.ToPixel(b);
        const double length = std::hypot(pb[0] - pa[0], pb[1] - pa[1]);
        const int pieces = std::clamp(static_cast<int>(std::ceil(length / 3.0)), 1, 4096);
        for (int k = 0; k < pieces; ++k) {
            const double t0 = static_cast<double>(k) / pieces, t1 = static_cast<double>(k + 1) / pieces;
            const double tm = (t0 + t1) / 2;
            const MQPoint m = {a.x + static_cast<float>(tm) * (b.x - a.x), a.y + static_cast<float>(tm) * (b.y - a.y),
                               a.z + static_cast<float>(tm) * (b.z - a.z)};
            const bool isHidden = hidden(m);
            Segment(cr, {pa[0] + t0 * (pb[0] - pa[0]), pa[1] + t0 * (pb[1] - pa[1])},
                    {pa[0] + t1 * (pb[0] - pa[0]), pa[1] + t1 * (pb[1] - pa[1])});
            if (selectedColour) SetColour(cr, colour, isHidden ? kHiddenAlpha : 1.0);
            else cairo_set_source_rgba(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2], isHidden ? kHiddenAlpha : 1.0);
            cairo_set_line_width(cr, isHidden ? width * 0.6 : width);
            cairo_stroke(cr);
        }
    };
    auto point = [&](MQPoint p, const std::array<uint8_t, 3> &colour, bool selectedColour, double radius) {
        const bool isHidden = hidden(p);
        Dot(cr, projector.ToPixel(p), isHidden ? radius * 0.7 : radius);
        if (selectedColour) SetColour(cr, colour, isHidden ? kHiddenAlpha : 1.0);
        else cairo_set_source_rgba(cr, kEdgeGrey[0], kEdgeGrey[1], kEdgeGrey[2], isHidden ? kHiddenAlpha : 1.0);
        cairo_fill(cr);
    };

    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (int32_t f = 0; f < o->FaceCount(); ++f) {
            const auto points = o->Points(f);
            if (points.size() == 2) segment(At(*o, points[0]), At(*o, points[1]), {}, false, 1.5);
            else if (points.size() == 1) point(At(*o, points[0]), {}, false, 2.5);
        }
    }

    // Selected faces no pixel of which shows: outlined faintly, dashed.
    std::vector<uint8_t> seen(faces.size(), 0);
    for (int y = 0; y < buffer.Height(); ++y)
        for (int x = 0; x < buffer.Width(); ++x)
            if (const int32_t id = buffer.IdAt(x, y); id >= 0) seen[static_cast<size_t>(id)] = 1;
    const double dash[] = {5.0, 4.0};
    for (size_t k = 0; k < faces.size(); ++k) {
        const FaceToDraw &face = faces[k];
        if (seen[k] || !face.object->IsFaceSelected(face.face)) continue;
        const auto points = face.object->Points(face.face);
        MQPoint centre = {0, 0, 0};
        for (int32_t v : points) {
            const MQPoint p = At(*face.object, v);
            centre = {centre.x + p.x, centre.y + p.y, centre.z + p.z};
        }
        const auto n = static_cast<float>(points.size());
        if (!hidden({centre.x / n, centre.y / n, centre.z / n})) continue;  // smaller than a pixel, in view
        Path(c, *face.object, points);
        cairo_close_path(cr);
        cairo_set_dash(cr, dash, 2, 0);
        SetColour(cr, kSelectedFaceColour, 0.5);
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
    }

    for (int32_t i = 0; i < document.ObjectCount(); ++i) {
        const standin::Object *o = document.ObjectAt(i);
        if (o == nullptr) continue;
        for (const auto &line : o->SelectedLines()) {
            const auto points = o->Points(line.face);
            const int32_t a = points[static_cast<size_t>(line.line)];
            const int32_t b = points[(static_cast<size_t>(line.line) + 1) % points.size()];
            segment(At(*o, a), At(*o, b), kSelectedLineColour, true, 4.0);
        }
        for (int32_t v : o->SelectedVertices()) point(At(*o, v), kSelectedVertexColour, true, 4.5);
    }
}

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
    const std::unique_ptr<cairo_t, void (*)(cairo_t *)> owner(cr, cairo_destroy);
    SetColour(cr, kBackgroundColour);
    cairo_paint(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    const Canvas canvas{cr, projector, options};
    Counts counts;
    std::vector<FaceToDraw> faces = FacesBackToFront(document, projector, counts);
    if (options.wireframe) DrawFlat(canvas, document, faces);
    else DrawShaded(canvas, document, faces);
    DrawLegend(canvas, counts, !options.wireframe);
    cairo_surface_flush(surface.get());
    return EncodePng(surface.get());
}

} // namespace standin::cli
