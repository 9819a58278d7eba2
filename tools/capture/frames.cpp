// frames.cpp -- frame read-back, PNG frames and the contact sheet.
#include "frames.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#ifdef _WIN32
#include "imagefile.h"  // no cairo in the Windows build: plain PNGs through libpng, sheets unlabelled
#else
#include <cairo.h>
#endif

#include "gl.h"

namespace {
const int THUMB_WIDTH = FRAME_WIDTH / 4;    // pixels
const int THUMB_HEIGHT = FRAME_HEIGHT / 4;
const int LABEL_HEIGHT = 28;                // pixels under each thumbnail
const int GAP = 8;                          // pixels between thumbnails

#ifdef _WIN32
void writeRgbPng(const unsigned char* rgb, int width, int height, const std::string& path,
                 const std::vector<std::pair<std::pair<int, int>, std::string>>& = {})
{
    if (!writeRgbPngFile(rgb, width, height, path))
        throw std::runtime_error("cannot write " + path);
}
#else
void writeRgbPng(const unsigned char* rgb, int width, int height, const std::string& path,
                 const std::vector<std::pair<std::pair<int, int>, std::string>>& texts = {})
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        const unsigned char* source = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | (source[3 * x] << 16) | (source[3 * x + 1] << 8) | source[3 * x + 2];
    }
    cairo_surface_mark_dirty(surface);
    if (!texts.empty()) {
        cairo_t* cr = cairo_create(surface);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 15);
        cairo_set_source_rgb(cr, 0.92, 0.88, 0.8);
        for (const auto& text : texts) {
            cairo_move_to(cr, text.first.first, text.first.second);
            cairo_show_text(cr, text.second.c_str());
        }
        cairo_destroy(cr);
    }
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}
#endif
}

void readFrame(std::vector<unsigned char>& rgb)
{
    static std::vector<unsigned char> bottomUp;
    bottomUp.resize(static_cast<std::size_t>(FRAME_WIDTH) * FRAME_HEIGHT * 3);
    rgb.resize(bottomUp.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, FRAME_WIDTH, FRAME_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const std::size_t rowBytes = static_cast<std::size_t>(FRAME_WIDTH) * 3;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        std::copy_n(&bottomUp[(FRAME_HEIGHT - 1 - y) * rowBytes], rowBytes, &rgb[y * rowBytes]);
}

void writeFramePng(const std::vector<unsigned char>& rgb, const std::string& path)
{
    writeRgbPng(rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, path);
}

ContactSheet::ContactSheet(int thumbnailCount, int columns)
    : columns(columns), rows((thumbnailCount + columns - 1) / columns), labels(thumbnailCount)
{
    pixels.assign(static_cast<std::size_t>(sheetWidth()) * sheetHeight() * 3, 24);
}

int ContactSheet::sheetWidth() const
{
    return GAP + columns * (THUMB_WIDTH + GAP);
}

int ContactSheet::sheetHeight() const
{
    return GAP + rows * (THUMB_HEIGHT + LABEL_HEIGHT + GAP);
}

void ContactSheet::add(int slot, const std::vector<unsigned char>& rgb, const std::string& label)
{
    const int left = GAP + (slot % columns) * (THUMB_WIDTH + GAP);
    const int top = GAP + (slot / columns) * (THUMB_HEIGHT + LABEL_HEIGHT + GAP);
    // Box-filter 4x4 blocks: a fair quarter-size picture without aliasing the grain.
    for (int y = 0; y < THUMB_HEIGHT; ++y)
        for (int x = 0; x < THUMB_WIDTH; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        sum += rgb[(static_cast<std::size_t>(4 * y + dy) * FRAME_WIDTH + 4 * x + dx) * 3 + c];
                pixels[(static_cast<std::size_t>(top + y) * sheetWidth() + left + x) * 3 + c] = static_cast<unsigned char>(sum / 16);
            }
    labels[slot] = label;
}

void ContactSheet::write(const std::string& path) const
{
    std::vector<std::pair<std::pair<int, int>, std::string>> texts;
    for (std::size_t slot = 0; slot < labels.size(); ++slot) {
        const int left = GAP + static_cast<int>(slot % columns) * (THUMB_WIDTH + GAP);
        const int top = GAP + static_cast<int>(slot / columns) * (THUMB_HEIGHT + LABEL_HEIGHT + GAP);
        texts.push_back({{left + 2, top + THUMB_HEIGHT + 19}, labels[slot]});
    }
    writeRgbPng(pixels.data(), sheetWidth(), sheetHeight(), path, texts);
}
