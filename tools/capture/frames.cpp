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

FrameFormat frameFormat;

namespace {
// The sheet's layout in pixels, for 1024x768 frames and in proportion for others.
int thumbWidth() { return frameFormat.width / 4; }
int thumbHeight() { return frameFormat.height / 4; }
int sheetPixels(int atDesignHeight) { return atDesignHeight * frameFormat.height / DESIGN_HEIGHT; }
int labelHeight() { return sheetPixels(28); }  // under each thumbnail
int gap() { return sheetPixels(8); }           // between thumbnails

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
        cairo_set_font_size(cr, sheetPixels(15));
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
    const int n = frameFormat.supersample;
    const int width = frameFormat.width, height = frameFormat.height;
    static std::vector<unsigned char> bottomUp;
    bottomUp.resize(static_cast<std::size_t>(width) * n * height * n * 3);
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width * n, height * n, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (n == 1) {
        for (int y = 0; y < height; ++y)
            std::copy_n(&bottomUp[(height - 1 - y) * rowBytes], rowBytes, &rgb[y * rowBytes]);
        return;
    }
    // Box filter: each output pixel the rounded mean of its n x n block.
    const std::size_t drawnRowBytes = rowBytes * n;
    const int blockArea = n * n;
    for (int y = 0; y < height; ++y) {
        const unsigned char* block = &bottomUp[(height - 1 - y) * n * drawnRowBytes];
        unsigned char* out = &rgb[y * rowBytes];
        for (std::size_t x = 0; x < rowBytes; ++x) {
            const std::size_t pixel = x / 3 * n * 3 + x % 3;
            int sum = 0;
            for (int dy = 0; dy < n; ++dy)
                for (int dx = 0; dx < n; ++dx)
                    sum += block[dy * drawnRowBytes + pixel + dx * 3];
            out[x] = static_cast<unsigned char>((sum + blockArea / 2) / blockArea);
        }
    }
}

void writeFramePng(const std::vector<unsigned char>& rgb, const std::string& path)
{
    writeRgbPng(rgb.data(), frameFormat.width, frameFormat.height, path);
}

ContactSheet::ContactSheet(int thumbnailCount, int columns)
    : columns(columns), rows((thumbnailCount + columns - 1) / columns), labels(thumbnailCount)
{
    pixels.assign(static_cast<std::size_t>(sheetWidth()) * sheetHeight() * 3, 24);
}

int ContactSheet::sheetWidth() const
{
    return gap() + columns * (thumbWidth() + gap());
}

int ContactSheet::sheetHeight() const
{
    return gap() + rows * (thumbHeight() + labelHeight() + gap());
}

void ContactSheet::add(int slot, const std::vector<unsigned char>& rgb, const std::string& label)
{
    const int left = gap() + (slot % columns) * (thumbWidth() + gap());
    const int top = gap() + (slot / columns) * (thumbHeight() + labelHeight() + gap());
    // Box-filter 4x4 blocks: a fair quarter-size picture without aliasing the grain.
    for (int y = 0; y < thumbHeight(); ++y)
        for (int x = 0; x < thumbWidth(); ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        sum += rgb[(static_cast<std::size_t>(4 * y + dy) * frameFormat.width + 4 * x + dx) * 3 + c];
                pixels[(static_cast<std::size_t>(top + y) * sheetWidth() + left + x) * 3 + c] = static_cast<unsigned char>(sum / 16);
            }
    labels[slot] = label;
}

void ContactSheet::write(const std::string& path) const
{
    std::vector<std::pair<std::pair<int, int>, std::string>> texts;
    for (std::size_t slot = 0; slot < labels.size(); ++slot) {
        const int left = gap() + static_cast<int>(slot % columns) * (thumbWidth() + gap());
        const int top = gap() + static_cast<int>(slot / columns) * (thumbHeight() + labelHeight() + gap());
        texts.push_back({{left + sheetPixels(2), top + thumbHeight() + sheetPixels(19)}, labels[slot]});
    }
    writeRgbPng(pixels.data(), sheetWidth(), sheetHeight(), path, texts);
}
