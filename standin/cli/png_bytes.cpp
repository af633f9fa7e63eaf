#include "standin/cli/png_bytes.h"

#include <cstring>

#include "standin/cli/obj_loader.h"

namespace standin::cli {
namespace {

cairo_status_t Append(void *closure, const unsigned char *data, unsigned int length) {
    static_cast<std::string *>(closure)->append(reinterpret_cast<const char *>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

struct Reader {
    const std::string *bytes;
    size_t at = 0;
};

cairo_status_t Read(void *closure, unsigned char *data, unsigned int length) {
    auto *r = static_cast<Reader *>(closure);
    if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

Surface MakeSurface(int width, int height) {
    Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        throw InputError("cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture");
    return s;
}

std::string EncodePng(cairo_surface_t *surface) {
    std::string bytes;
    cairo_surface_flush(surface);
    if (cairo_surface_write_to_png_stream(surface, Append, &bytes) != CAIRO_STATUS_SUCCESS)
        throw InputError("cannot encode the picture as PNG");
    return bytes;
}

Surface DecodePng(const std::string &bytes) {
    Reader reader{&bytes};
    Surface s(cairo_image_surface_create_from_png_stream(Read, &reader));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return s;
}

} // namespace standin::cli
