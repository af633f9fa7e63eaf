#include "standin/cli/render_mesh.h"

#include <gtest/gtest.h>

#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace cli = standin::cli;

namespace {

using Rgb = std::array<uint8_t, 3>;

Rgb PixelAt(cairo_surface_t *s, double x, double y) {
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char *data = cairo_image_surface_get_data(s);
    const auto px = *reinterpret_cast<const uint32_t *>(data + static_cast<int>(y) * stride + static_cast<int>(x) * 4);
    return {static_cast<uint8_t>(px >> 16), static_cast<uint8_t>(px >> 8), static_cast<uint8_t>(px)};
}

// Two quads side by side in the z = 0 plane, facing the front view (the
// modeller's faces run clockwise seen from the front), a wire to their
// right, and an isolated vertex below them.
void Build(standin::Document &doc) {
    cli::LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\nv 3 0 0\nv 3 1 0\nv 1.5 -1 0\n"
                     "f 4 3 2 1\nf 3 6 5 2\nl 7 8\np 9\n",
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

    cli::RenderOptions options;
    options.view = cli::View::Front;
    options.width = 640;
    options.height = 480;
    options.title = "test";
    const std::string png = cli::RenderMeshPng(doc, options);
    auto image = cli::DecodePng(png);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 640);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 480);

    const cli::Projector at(doc, options);
    const auto selectedFace = at.ToPixel({0.5f, 0.5f, 0});
    const auto otherFace = at.ToPixel({1.5f, 0.5f, 0});
    const auto line = at.ToPixel(Mid(o.Position(6), o.Position(7)));
    const auto vertex = at.ToPixel(o.Position(8));
    const auto empty = at.ToPixel({2.5f, -0.8f, 0});
    EXPECT_EQ(PixelAt(image.get(), selectedFace[0], selectedFace[1]), cli::kSelectedFaceColour);
    EXPECT_EQ(PixelAt(image.get(), otherFace[0], otherFace[1]), cli::kFaceColour);
    EXPECT_EQ(PixelAt(image.get(), line[0], line[1]), cli::kSelectedLineColour);
    EXPECT_EQ(PixelAt(image.get(), vertex[0], vertex[1]), cli::kSelectedVertexColour);
    EXPECT_EQ(PixelAt(image.get(), empty[0], empty[1]), cli::kBackgroundColour);
}

TEST(MeshPicture, EveryViewKeepsTheMeshInsideTheDrawingArea) {
    standin::Document doc;
    cli::LoadObjText("v -1 -2 -3\nv 4 5 6\nv 0 7 -8\nf 1 2 3\n", "tri.obj", doc);
    for (auto view : {cli::View::Front, cli::View::Side, cli::View::Top, cli::View::ThreeQuarter}) {
        cli::RenderOptions options;
        options.view = view;
        options.width = 300;
        options.height = 200;
        const cli::Projector at(doc, options);
        for (int32_t v = 0; v < 3; ++v) {
            const auto p = at.ToPixel(doc.ObjectAt(0)->Position(v));
            EXPECT_GE(p[0], 0) << cli::ViewName(view);
            EXPECT_LE(p[0], 300) << cli::ViewName(view);
            EXPECT_GE(p[1], 0) << cli::ViewName(view);
            EXPECT_LE(p[1], 200 - cli::kLegendHeight) << cli::ViewName(view);
        }
    }
    EXPECT_EQ(cli::ParseView("side"), cli::View::Side);
    EXPECT_THROW(cli::ParseView("back"), cli::InputError);
}

// A closed cube, its faces clockwise seen from outside. What nearer faces
// hide is drawn faintly or not at all; the wireframe look draws it all.
TEST(MeshPicture, NearerFacesHideTheSelectionBehindThem) {
    standin::Document doc;
    cli::LoadObjText("v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                     "f 2 3 4 1\nf 8 7 6 5\nf 5 6 2 1\nf 6 7 3 2\nf 7 8 4 3\nf 8 5 1 4\n",
                     "cube.obj", doc);
    standin::Object &cube = *doc.ObjectAt(0);
    auto render = [&](cli::View view, bool wireframe) {
        cli::RenderOptions options;
        options.view = view;
        options.wireframe = wireframe;
        auto image = cli::DecodePng(cli::RenderMeshPng(doc, options));
        EXPECT_NE(image, nullptr);
        return std::make_pair(std::move(image), cli::Projector(doc, options));
    };

    // Front view: the face at z = -1 lies right behind the one at z = +1.
    cube.SelectFace(0, true);
    {
        auto [image, at] = render(cli::View::Front, false);
        const auto centre = at.ToPixel({0, 0, -1});
        EXPECT_EQ(PixelAt(image.get(), centre[0], centre[1]), cli::kFaceColour);
    }
    cube.ClearSelection(MQ_SELECT_FACE);
    cube.SelectFace(1, true);
    {
        auto [image, at] = render(cli::View::Front, false);
        const auto centre = at.ToPixel({0, 0, 1});
        EXPECT_EQ(PixelAt(image.get(), centre[0], centre[1]), cli::kSelectedFaceColour);
    }
    cube.ClearSelection(MQ_SELECT_FACE);

    // Three-quarter view: the far corner is hidden, the near one is not.
    cube.SelectVertex(0, true);
    cube.SelectVertex(6, true);
    {
        auto [image, at] = render(cli::View::ThreeQuarter, false);
        const auto near = at.ToPixel(cube.Position(6)), far = at.ToPixel(cube.Position(0));
        EXPECT_EQ(PixelAt(image.get(), near[0], near[1]), cli::kSelectedVertexColour);
        const Rgb hidden = PixelAt(image.get(), far[0], far[1]);
        const Rgb face = PixelAt(image.get(), far[0] + 15, far[1]);  // the face in front of it, nothing drawn on it
        EXPECT_NE(hidden, cli::kSelectedVertexColour);
        EXPECT_GT(hidden[2] - hidden[0], face[2] - face[0] + 20) << "the hidden vertex is not drawn faintly";
    }
    {
        auto [image, at] = render(cli::View::ThreeQuarter, true);
        const auto far = at.ToPixel(cube.Position(0));
        EXPECT_EQ(PixelAt(image.get(), far[0], far[1]), cli::kSelectedVertexColour);
    }

    // Faces seen from the back are dimmer than the same face seen from the front.
    standin::Document two;
    cli::LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 2 0 0\nv 3 0 0\nv 3 1 0\nf 3 2 1\nf 4 5 6\n", "two.obj", two);
    cli::RenderOptions options;
    options.view = cli::View::Front;
    auto image = cli::DecodePng(cli::RenderMeshPng(two, options));
    const cli::Projector at(two, options);
    const auto front = at.ToPixel({0.75f, 0.25f, 0}), back = at.ToPixel({2.75f, 0.25f, 0});
    const Rgb lit = PixelAt(image.get(), front[0], front[1]), dim = PixelAt(image.get(), back[0], back[1]);
    EXPECT_EQ(lit, cli::kFaceColour);
    for (size_t k = 0; k < 3; ++k) EXPECT_LT(dim[k], lit[k] * 0.7) << k;
}

TEST(MeshPicture, RefusesSizesItCannotDraw) {
    standin::Document doc;
    Build(doc);
    cli::RenderOptions options;
    options.width = 10;
    EXPECT_THROW(cli::RenderMeshPng(doc, options), cli::InputError);
    options.width = 800;
    options.height = 100000;
    EXPECT_THROW(cli::RenderMeshPng(doc, options), cli::InputError);
}

} // namespace
