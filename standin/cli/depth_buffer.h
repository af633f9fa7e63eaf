// A software depth buffer at picture resolution: which face is nearest at
// each pixel centre, and how near. The mesh picture uses it to tell which
// selected elements nearer faces hide.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace standin::cli {

class DepthBuffer {
public:
    DepthBuffer(int width, int height);

    // Adds a polygon given as pixel x, pixel y and depth (larger is
    // farther) per corner, split as a fan from its first corner. `id` is
    // what IdAt reports where it is nearest. O(pixels it covers).
    void AddPolygon(std::span<const std::array<double, 3>> corners, int32_t id);

    // True when every pixel within one of (x, y) is covered by something
    // nearer than depth - tolerance: a point there is hidden. Pixels off the
    // picture count as open.
    bool Hidden(double x, double y, double depth, double tolerance) const;

    // The nearest polygon at pixel (x, y), or -1.
    int32_t IdAt(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    std::vector<float> depth_;
    std::vector<int32_t> id_;
};

} // namespace standin::cli
