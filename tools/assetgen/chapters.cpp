// chapters.cpp -- the chapter line's names: one row per entry of the running order, white on clear.
#include <cairo.h>

#include <stdexcept>
#include <string>

#include "registry.h"
#include "runningorder.h"

namespace {

const int ROW_WIDTH = 256;    // pixels; shown 160 wide on the 1024-pixel picture
const int ROW_HEIGHT = 48;    // pixels; the show reads rows of this height
const int IMAGE_HEIGHT = 1024;  // room for 21 rows, a power of two for mipmapping

void writeChapters(const std::string& folder)
{
    if (static_cast<int>(timelineRows().size()) * ROW_HEIGHT > IMAGE_HEIGHT)
        throw std::runtime_error("chapters.png has no room for every entry's name");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, ROW_WIDTH, IMAGE_HEIGHT);
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 24);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    int row = 0;
    for (const TimelineRow& entry : timelineRows()) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, entry.name, &extents);
        // Centred in its row, the baseline a little below the middle so the letters sit centred.
        cairo_move_to(cr, (ROW_WIDTH - extents.x_advance) / 2, row * ROW_HEIGHT + ROW_HEIGHT / 2 + 9);
        cairo_show_text(cr, entry.name);
        ++row;
    }
    cairo_destroy(cr);
    const std::string path = folder + "/chapters.png";
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

REGISTER_ASSETS(chapters, writeChapters);
