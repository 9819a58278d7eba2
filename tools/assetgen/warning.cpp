// warning.cpp -- the photosensitivity warning the live show puts up before its music starts.
//
// Drawn over the whole 4:3 picture from a square image (1024 texels for 768 rows), so the text is
// laid out on a 1024x768 page and stretched onto the square to come out upright on screen.
#include <cairo.h>

#include <stdexcept>
#include <string>

#include "image.h"
#include "registry.h"

namespace {

const int PAGE_WIDTH = 1024;  // the picture's layout, in pixels of a 1024x768 screen
const int PAGE_HEIGHT = 768;

void centred(cairo_t* cr, const char* text, double size, double y, bool bold, const char* face = "DejaVu Sans")
{
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, (PAGE_WIDTH - extents.x_advance) / 2, y);
    cairo_show_text(cr, text);
}

void drawWarning(cairo_t* cr)
{
    cairo_set_source_rgb(cr, 0.07, 0.06, 0.06);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.98, 0.72, 0.2);
    centred(cr, "PHOTOSENSITIVITY WARNING", 44, 190, true);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 212, 222);
    cairo_line_to(cr, 812, 222);
    cairo_stroke(cr);

    cairo_set_source_rgb(cr, 0.93, 0.91, 0.87);
    const char* lines[] = {"This show flickers and flashes over the whole screen,",
                           "up to ten times a second, for minutes at a time.",
                           "It may trigger seizures in people with photosensitive epilepsy."};
    for (int i = 0; i < 3; ++i)
        centred(cr, lines[i], 25, 290 + 38 * i, false);
    centred(cr, "For a show kept below the flash limits, start it with", 25, 446, false);
    cairo_set_source_rgb(cr, 1, 1, 1);
    centred(cr, "bearings --gentle", 34, 500, true, "DejaVu Sans Mono");

    cairo_set_source_rgb(cr, 0.66, 0.64, 0.6);
    centred(cr, "The show starts in a few seconds.  Any key starts it now, Escape quits.", 19, 600, false);
}

// At scale 2 the same page with twice the pixels each way, for pictures taller than 768.
void writeWarning(const std::string& folder, int scale)
{
    const int size = 1024 * scale;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, static_cast<double>(size) / PAGE_WIDTH, static_cast<double>(size) / PAGE_HEIGHT);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    drawWarning(cr);
    cairo_destroy(cr);
    const std::string path = folder + "/" + scaledName("flashwarning.png", scale);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

void writeWarnings(const std::string& folder)
{
    writeWarning(folder, 1);
    writeWarning(folder, 2);
}

}  // namespace

REGISTER_ASSETS(warning, writeWarnings);
