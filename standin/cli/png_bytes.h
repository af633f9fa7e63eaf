// cairo image surfaces to and from PNG bytes in memory.
#pragma once

#include <memory>
#include <string>

#include <cairo.h>

namespace standin::cli {

struct SurfaceDeleter {
    void operator()(cairo_surface_t *s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// An ARGB32 image surface; throws InputError when cairo cannot make it.
Surface MakeSurface(int width, int height);
std::string EncodePng(cairo_surface_t *surface);
// Decodes PNG bytes; null when they are not a PNG.
Surface DecodePng(const std::string &bytes);

} // namespace standin::cli
