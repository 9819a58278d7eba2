// image.h -- the asset generator's picture type and its PNG/BMP writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture in straight (not premultiplied) RGBA floats, 0..1, row 0 at the top.
struct Image {
    Image(int width, int height);

    float* at(int x, int y) { return &pixels[4 * (static_cast<std::size_t>(y) * width + x)]; }
    const float* at(int x, int y) const { return &pixels[4 * (static_cast<std::size_t>(y) * width + x)]; }
    void set(int x, int y, float r, float g, float b, float a);

    int width;
    int height;
    std::vector<float> pixels;  // 4 floats a pixel, rows top to bottom
};

void writePng(const Image& image, const std::string& path);  // 8-bit RGBA PNG
void writeBmp(const Image& image, const std::string& path);  // 24-bit BMP; alpha is dropped

// Deterministic noise for generated pictures, independent of the show's own random sequence.
class AssetRandom {
public:
    explicit AssetRandom(std::uint32_t seed) : state(seed ? seed : 1) {}
    std::uint32_t next();   // xorshift32
    float unit();           // uniform in [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

private:
    std::uint32_t state;
};

// Smooth value noise on a wrapping lattice of period cells: seamless tiles, fractal sums of octaves.
float tileNoise(float x, float y, int period, std::uint32_t seed);
float fractalNoise(float x, float y, int period, int octaves, std::uint32_t seed);

// The file name of an image's drawing at scale times its size: "card.png" at 1, "card-2x.png" at 2.
std::string scaledName(const std::string& file, int scale);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);
