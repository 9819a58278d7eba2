// riskpicture.cpp -- the risk picture drawn with cairo: entries down, seconds across.
#include "riskpicture.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include <cairo.h>

#include "runningorder.h"

std::vector<SecondCell> secondCells(const flash::RuleResult& general, const flash::RuleResult& red,
                                    const std::vector<int>& frameMs, int showSeconds)
{
    std::vector<SecondCell> cells(showSeconds);
    for (std::size_t f = 0; f < frameMs.size(); ++f) {
        const int second = frameMs[f] / 1000;
        if (second < showSeconds)
            cells[second].analysed = true;
        // The span [t, t + 1 s) from this frame overlaps its own second and, unless it starts on a
        // whole second, the next one.
        const int last = std::min(showSeconds - 1, (frameMs[f] + 999) / 1000);
        for (int s = second; s <= last; ++s) {
            SecondCell& cell = cells[s];
            if (f < general.fromFrame.size()) {
                cell.rate = std::max(cell.rate, general.fromFrame[f].rate);
                cell.share = std::max(cell.share, general.fromFrame[f].share);
                cell.fails = cell.fails || general.fromFrame[f].fails();
            }
            if (f < red.fromFrame.size())
                cell.redFails = cell.redFails || red.fromFrame[f].fails();
        }
    }
    return cells;
}

namespace {

const int CELL = 10;         // px per second across
const int ROW = 18;          // px per entry
const int NAME_WIDTH = 170;  // the entry's name and start
const int TOP = 50;          // the title and summary lines
const int LEGEND = 30;

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t)
{
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Dark green where nothing flashes, through green and yellow to orange at the limit of three flashes a
// second over a quarter of a window, red beyond it.
Colour riskColour(const SecondCell& cell)
{
    const Colour quiet{0.13, 0.22, 0.15}, calm{0.25, 0.6, 0.3}, warm{0.9, 0.8, 0.2}, limit{0.95, 0.5, 0.15}, fail{0.85, 0.1, 0.1};
    if (!cell.analysed)
        return Colour{0.35, 0.35, 0.35};
    if (cell.fails)
        return cell.rate >= 8 ? Colour{1.0, 0.25, 0.3} : fail;
    if (cell.rate <= 0)
        return quiet;
    const double t = std::min(1.0, static_cast<double>(cell.rate) / flash::MOST_FLASHES);
    return t < 0.5 ? mix(calm, warm, t * 2) : mix(warm, limit, t * 2 - 1);
}

void fill(cairo_t* cr, Colour c, double x, double y, double w, double h)
{
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void text(cairo_t* cr, double x, double y, double size, const std::string& s)
{
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, s.c_str());
}

}  // namespace

void writeRiskPicture(const std::string& path, const std::string& title, const std::string& summary,
                      const std::vector<SecondCell>& cells)
{
    const std::vector<TimelineRow>& rows = timelineRows();
    int longest = 0;
    for (const TimelineRow& row : rows)
        longest = std::max(longest, row.bars);
    const int msPerBar = BEATS_PER_BAR * 60000 / SHOW_BPM;
    const int width = NAME_WIDTH + longest * msPerBar / 1000 * CELL + 60;
    const int height = TOP + static_cast<int>(rows.size()) * ROW + LEGEND;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    fill(cr, Colour{0.08, 0.08, 0.09}, 0, 0, width, height);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_source_rgb(cr, 0.92, 0.9, 0.85);
    text(cr, 8, 19, 13, title);
    cairo_set_source_rgb(cr, 0.75, 0.73, 0.68);
    text(cr, 8, 37, 11, summary);

    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TimelineRow& row = rows[i];
        const int y = TOP + static_cast<int>(i) * ROW;
        const int startSecond = row.startBar * msPerBar / 1000;
        const int seconds = row.bars * msPerBar / 1000;
        char label[64];
        std::snprintf(label, sizeof label, "%-2zu %s", i, row.name);
        cairo_set_source_rgb(cr, 0.85, 0.83, 0.78);
        text(cr, 8, y + 13, 11, label);
        std::snprintf(label, sizeof label, "%d s", startSecond);
        text(cr, NAME_WIDTH - 46, y + 13, 10, label);
        int failing = 0;
        for (int s = 0; s < seconds && startSecond + s < static_cast<int>(cells.size()); ++s) {
            const SecondCell& cell = cells[startSecond + s];
            const double x = NAME_WIDTH + s * CELL;
            fill(cr, riskColour(cell), x, y + 2, CELL - 1, ROW - 6);
            if (cell.redFails)
                fill(cr, Colour{0.9, 0.1, 0.9}, x, y + ROW - 4, CELL - 1, 2);
            failing += cell.fails || cell.redFails;
        }
        if (failing > 0) {
            cairo_set_source_rgb(cr, 1.0, 0.45, 0.4);
            std::snprintf(label, sizeof label, "%d s", failing);
            text(cr, NAME_WIDTH + seconds * CELL + 6, y + 13, 10, label);
        }
    }

    // Legend: the colours by flashes a second over a quarter of the worst window.
    const int y = TOP + static_cast<int>(rows.size()) * ROW + 8;
    double x = 8;
    const struct {
        const char* name;
        SecondCell cell;
    } keys[] = {{"no flash", {true, 0, 0, false, false}},
                {"1", {true, 1, 0, false, false}},
                {"2", {true, 2, 0, false, false}},
                {"3 flashes/s", {true, 3, 0, false, false}},
                {"fails", {true, 4, 0, true, false}},
                {"fails, 8+/s", {true, 8, 0, true, false}},
                {"not analysed", {false, 0, 0, false, false}}};
    for (const auto& key : keys) {
        fill(cr, riskColour(key.cell), x, y, CELL - 1, ROW - 6);
        cairo_set_source_rgb(cr, 0.85, 0.83, 0.78);
        text(cr, x + CELL + 4, y + 10, 10, key.name);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, key.name, &extents);
        x += CELL + 16 + extents.x_advance;
    }
    fill(cr, Colour{0.9, 0.1, 0.9}, x, y + ROW - 8, CELL - 1, 2);
    cairo_set_source_rgb(cr, 0.85, 0.83, 0.78);
    text(cr, x + CELL + 4, y + 10, 10, "red flashes fail");

    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}
