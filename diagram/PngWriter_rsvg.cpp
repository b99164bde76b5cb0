// PNG through librsvg (SVG to cairo) and cairo's PNG writer.
#include "PngWriter.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>

namespace VexloDiagram {

bool PngAvailable() { return true; }

bool WritePng(const std::string& svg, const std::string& file, std::string& error)
{
    GError* gerror = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &gerror);
    if (!handle) {
        error = gerror ? gerror->message : "librsvg could not read the SVG";
        if (gerror)
            g_error_free(gerror);
        return false;
    }
    gdouble width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) || width < 1 || height < 1) {
        width = 800;
        height = 600;
    }
    const int w = static_cast<int>(std::ceil(width)), h = static_cast<int>(std::ceil(height));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, static_cast<double>(w), static_cast<double>(h)};
    bool ok = rsvg_handle_render_document(handle, cr, &viewport, &gerror);
    if (!ok) {
        error = gerror ? gerror->message : "librsvg could not draw the SVG";
        if (gerror)
            g_error_free(gerror);
    } else if (cairo_surface_write_to_png(surface, file.c_str()) != CAIRO_STATUS_SUCCESS) {
        ok = false;
        error = "cannot write " + file;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    g_object_unref(handle);
    return ok;
}

} // namespace VexloDiagram
