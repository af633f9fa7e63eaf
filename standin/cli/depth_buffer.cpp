#include "standin/cli/depth_buffer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace standin::cli {

DepthBuffer::DepthBuffer(int width, int height)
    : width_(width), height_(height),
      depth_(static_cast<size_t>(width) * static_cast<size_t>(height), std::numeric_limits<float>::infinity()),
      id_(static_cast<size_t>(width) * static_cast<size_t>(height), -1) {}

void DepthBuffer::AddPolygon(std::span<const std::array<double, 3>> corners, int32_t id) {
    for (size_t k = 1; k + 1 < corners.size(); ++k) {
        const auto &a = corners[0], &b = corners[k], &c = corners[k + 1];
        const double area = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
        if (area == 0 || !std::isfinite(area)) continue;
        const double minX = std::min({a[0], b[0], c[0]}), maxX = std::max({a[0], b[0], c[0]});
        const double minY = std::min({a[1], b[1], c[1]}), maxY = std::max({a[1], b[1], c[1]});
        const int x0 = std::max(0, static_cast<int>(std::ceil(minX - 0.5)));
        const int x1 = std::min(width_ - 1, static_cast<int>(std::floor(maxX - 0.5)));
        const int y0 = std::max(0, static_cast<int>(std::ceil(minY - 0.5)));
        const int y1 = std::min(height_ - 1, static_cast<int>(std::floor(maxY - 0.5)));
        for (int y = y0; y <= y1; ++y) {
            const double py = y + 0.5;
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5;
                // Barycentric weights of the pixel centre; inside when all
                // have the sign of the area (edges included).
                const double wa = ((b[0] - px) * (c[1] - py) - (c[0] - px) * (b[1] - py)) / area;
                const double wb = ((c[0] - px) * (a[1] - py) - (a[0] - px) * (c[1] - py)) / area;
                const double wc = 1.0 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0) continue;
                const auto d = static_cast<float>(wa * a[2] + wb * b[2] + wc * c[2]);
                const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
                if (d < depth_[at]) {
                    depth_[at] = d;
                    id_[at] = id;
                }
            }
        }
    }
}

bool DepthBuffer::Hidden(double x, double y, double depth, double tolerance) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = cx + dx, py = cy + dy;
            if (px < 0 || py < 0 || px >= width_ || py >= height_) return false;
            const float d = depth_[static_cast<size_t>(py) * static_cast<size_t>(width_) + static_cast<size_t>(px)];
            if (static_cast<double>(d) >= depth - tolerance) return false;
        }
    return true;
}

int32_t DepthBuffer::IdAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    return id_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

} // namespace standin::cli
