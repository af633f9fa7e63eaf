#include "standin/cli/render_mesh.h"

#include <gtest/gtest.h>

#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

Rgb PixelAt(cairo_surface_t *s, double x, double y) {
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char *data = cairo_image_surface_get_data(s);
    const auto px = *reinterpret_cast<const uint32_t *>(data + static_cast<int>(y) * stride + static_cast<int>(x) * 4);
    return {static_cast<uint8_t>(px >> 16), static_cast<uint8_t>(px >> 8), static_cast<uint8_t>(px)};
}

// Two quads side by side in the z = 0 plane, a wire to their right, and an
// isolated vertex below them.
void Build(standin::Document &doc) {
    vexcli::LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\nv 3 0 0\nv 3 1 0\nv 1.5 -1 0\n"
                        "f 1 2 3 4\nf 2 5 6 3\nl 7 8\np 9\n",
                        "planes.obj", doc);
}

MQPoint Mid(MQPoint a, MQPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}; }

TEST(MeshPicture, DecodesAtTheRequestedSizeWithTheSelectionHighlighted) {
    standin::Document doc;
    Build(doc);
    standin::Object &o = *doc.ObjectAt(0);
    o.SelectFace(0, true);
    o.SelectLine(2, 0, true);
    o.SelectVertex(8, true);

    vexcli::RenderOptions options;
    options.view = vexcli::View::Front;
    options.width = 640;
    options.height = 480;
    options.title = "test";
    const std::string png = vexcli::RenderMeshPng(doc, options);
    auto image = vexcli::DecodePng(png);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 640);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 480);

    const vexcli::Projector at(doc, options);
    const auto selectedFace = at.ToPixel({0.5f, 0.5f, 0});
    const auto otherFace = at.ToPixel({1.5f, 0.5f, 0});
    const auto line = at.ToPixel(Mid(o.Position(6), o.Position(7)));
    const auto vertex = at.ToPixel(o.Position(8));
    const auto empty = at.ToPixel({2.5f, -0.8f, 0});
    EXPECT_EQ(PixelAt(image.get(), selectedFace[0], selectedFace[1]), vexcli::kSelectedFaceColour);
    EXPECT_EQ(PixelAt(image.get(), otherFace[0], otherFace[1]), vexcli::kFaceColour);
    EXPECT_EQ(PixelAt(image.get(), line[0], line[1]), vexcli::kSelectedLineColour);
    EXPECT_EQ(PixelAt(image.get(), vertex[0], vertex[1]), vexcli::kSelectedVertexColour);
    EXPECT_EQ(PixelAt(image.get(), empty[0], empty[1]), vexcli::kBackgroundColour);
}

TEST(MeshPicture, EveryViewKeepsTheMeshInsideTheDrawingArea) {
    standin::Document doc;
    vexcli::LoadObjText("v -1 -2 -3\nv 4 5 6\nv 0 7 -8\nf 1 2 3\n", "tri.obj", doc);
    for (auto view : {vexcli::View::Front, vexcli::View::Side, vexcli::View::Top, vexcli::View::ThreeQuarter}) {
        vexcli::RenderOptions options;
        options.view = view;
        options.width = 300;
        options.height = 200;
        const vexcli::Projector at(doc, options);
        for (int32_t v = 0; v < 3; ++v) {
            const auto p = at.ToPixel(doc.ObjectAt(0)->Position(v));
            EXPECT_GE(p[0], 0) << vexcli::ViewName(view);
            EXPECT_LE(p[0], 300) << vexcli::ViewName(view);
            EXPECT_GE(p[1], 0) << vexcli::ViewName(view);
            EXPECT_LE(p[1], 200 - vexcli::kLegendHeight) << vexcli::ViewName(view);
        }
    }
    EXPECT_EQ(vexcli::ParseView("side"), vexcli::View::Side);
    EXPECT_THROW(vexcli::ParseView("back"), vexcli::InputError);
}

TEST(MeshPicture, RefusesSizesItCannotDraw) {
    standin::Document doc;
    Build(doc);
    vexcli::RenderOptions options;
    options.width = 10;
    EXPECT_THROW(vexcli::RenderMeshPng(doc, options), vexcli::InputError);
    options.width = 800;
    options.height = 100000;
    EXPECT_THROW(vexcli::RenderMeshPng(doc, options), vexcli::InputError);
}

} // namespace
