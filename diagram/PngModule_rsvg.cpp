// The PNG writer module: librsvg draws the SVG on a cairo surface, cairo writes the PNG.
// A module of its own so that only a run that writes PNG loads librsvg, cairo and glib.
#include "PngModule.h"

#include "vxplat/Module.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

bool Fail(const std::string& why, char* error, size_t errorSize)
{
    if (errorSize) {
        size_t n = std::min(why.size(), errorSize - 1);
        std::memcpy(error, why.data(), n);
        error[n] = '\0';
    }
    return false;
}

std::string TakeMessage(GError* gerror, const char* otherwise)
{
    std::string message = gerror ? gerror->message : otherwise;
    if (gerror)
        g_error_free(gerror);
    return message;
}

} // namespace

extern "C" VXP_EXPORT bool VexloWritePng(const char* svg, size_t size, const char* file, char* error, size_t errorSize)
{
    GError* gerror = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg), size, &gerror);
    if (!handle)
        return Fail(TakeMessage(gerror, "librsvg could not read the SVG"), error, errorSize);
    gdouble width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) || width < 1 || height < 1) {
        width = 800;
        height = 600;
    }
    const int w = static_cast<int>(std::ceil(width)), h = static_cast<int>(std::ceil(height));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, static_cast<double>(w), static_cast<double>(h)};
    std::string why;
    if (!rsvg_handle_render_document(handle, cr, &viewport, &gerror))
        why = TakeMessage(gerror, "librsvg could not draw the SVG");
    else if (cairo_surface_write_to_png(surface, file) != CAIRO_STATUS_SUCCESS)
        why = std::string("cannot write ") + file;
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    g_object_unref(handle);
    return why.empty() || Fail(why, error, errorSize);
}
