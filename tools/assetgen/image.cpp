// image.cpp -- pixel storage, PNG writing through cairo, BMP writing through SDL, and noise.
#include "image.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <SDL/SDL.h>
#include <cairo.h>

Image::Image(int width, int height)
    : width(width), height(height), pixels(4 * static_cast<std::size_t>(width) * height, 0.0f)
{
}

void Image::set(int x, int y, float r, float g, float b, float a)
{
    float* p = at(x, y);
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
}

namespace {
std::uint8_t toByte(float v)
{
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f));
}
}

void writePng(const Image& image, const std::string& path)
{
    // cairo stores premultiplied ARGB in native-endian 32-bit words; its PNG writer undoes the
    // premultiplication, so straight alpha survives (rounded to 8 bits).
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.at(x, y);
            const std::uint32_t a = toByte(p[3]);
            auto premultiplied = [a](float c) { return static_cast<std::uint32_t>((toByte(c) * a + 127) / 255); };
            row[x] = (a << 24) | (premultiplied(p[0]) << 16) | (premultiplied(p[1]) << 8) | premultiplied(p[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

void writeBmp(const Image& image, const std::string& path)
{
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, image.width, image.height, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    SDL_LockSurface(surface);
    for (int y = 0; y < image.height; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::size_t>(y) * surface->pitch;
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.at(x, y);
            row[3 * x + 0] = toByte(p[0]);
            row[3 * x + 1] = toByte(p[1]);
            row[3 * x + 2] = toByte(p[2]);
        }
    }
    SDL_UnlockSurface(surface);
    const int result = SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
    if (result != 0)
        throw std::runtime_error("cannot write " + path);
}

std::uint32_t AssetRandom::next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float AssetRandom::unit()
{
    return static_cast<float>(next() >> 8) / 16777216.0f;
}

namespace {
float latticeValue(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;
}
}

float tileNoise(float x, float y, int period, std::uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = x - fx, ty = y - fy;
    const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    const float v00 = latticeValue(wrap(ix), wrap(iy), seed), v10 = latticeValue(wrap(ix + 1), wrap(iy), seed);
    const float v01 = latticeValue(wrap(ix), wrap(iy + 1), seed), v11 = latticeValue(wrap(ix + 1), wrap(iy + 1), seed);
    return (v00 * (1 - sx) + v10 * sx) * (1 - sy) + (v01 * (1 - sx) + v11 * sx) * sy;
}

float fractalNoise(float x, float y, int period, int octaves, std::uint32_t seed)
{
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * tileNoise(x, y, period, seed + 101u * o);
        norm += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

std::string scaledName(const std::string& file, int scale)
{
    if (scale == 1)
        return file;
    const std::size_t dot = file.rfind('.');
    return file.substr(0, dot) + "-" + std::to_string(scale) + "x" + file.substr(dot);
}
