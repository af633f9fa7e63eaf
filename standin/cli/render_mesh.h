// A picture of a document's meshes with the selection highlighted: selected
// faces filled, selected lines drawn thick, selected vertices as dots, and a
// legend naming the command and the counts. PNG bytes, drawn with cairo.
//
// Faces are drawn back to front and shaded by a light from the viewer
// (faces seen from the back dimmer), each with its edges, so that nearer
// faces cover farther ones; selected elements that nearer faces hide are
// drawn faintly. The wireframe look draws every face flat and every
// selected element at full strength, hidden or not.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "standin/core/document.h"

namespace standin::cli {

enum class View { Front, Side, Top, ThreeQuarter };

// "front", "side", "top", "three-quarter"; throws InputError otherwise.
View ParseView(const std::string &name);
const char *ViewName(View view);

struct RenderOptions {
    View view = View::ThreeQuarter;
    int width = 800;
    int height = 600;
    std::string title;  // the legend's first line, e.g. the command
    bool wireframe = false;  // every face flat and every element drawn, hidden or not
};

// Colours of the highlight, 0..255 RGB, for the picture and its tests.
inline constexpr std::array<uint8_t, 3> kSelectedFaceColour = {255, 150, 30};
inline constexpr std::array<uint8_t, 3> kSelectedLineColour = {220, 20, 60};
inline constexpr std::array<uint8_t, 3> kSelectedVertexColour = {20, 90, 255};
inline constexpr std::array<uint8_t, 3> kFaceColour = {200, 205, 212};
inline constexpr std::array<uint8_t, 3> kBackgroundColour = {255, 255, 255};

// Maps model positions to pixels for one view, fitted to the picture's
// drawing area (everything but the legend strip at the bottom).
class Projector {
public:
    Projector(const standin::Document &document, const RenderOptions &options);
    std::array<double, 2> ToPixel(MQPoint p) const;
    // Distance from the viewer along the view direction (larger is farther).
    double Depth(MQPoint p) const;
    // Screen x (right), screen y (up) and depth, in model units.
    std::array<double, 3> ViewSpace(MQPoint p) const { return Rotate(p); }
    // Pixels per model unit.
    double Scale() const { return scale_; }

private:
    std::array<double, 3> Rotate(MQPoint p) const;
    View view_;
    double scale_ = 1, offsetX_ = 0, offsetY_ = 0;
};

// Legend strip height in pixels.
inline constexpr int kLegendHeight = 64;

// Throws InputError for a size outside 64..8192.
std::string RenderMeshPng(const standin::Document &document, const RenderOptions &options);

} // namespace standin::cli
