// borderlineassets.cpp -- the border scene's three turning layers and the soft glow of a crossing mark.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "image.h"
#include "matrix.h"
#include "registry.h"

namespace {

const int LAYER_SIZE = 1024;  // pixels a side; the scene stretches each layer over 60 x 60 units

// Every layer fades out towards a circle inside the square, so the corners never sweep past as the
// layers turn about their centres. x, y in layer units, -1..1 from the centre.
float roundFade(float x, float y)
{
    return smoothstep(0.98f, 0.7f, std::sqrt(x * x + y * y));
}

// Layer 1: branching orange veins, the ridges where a fractal noise crosses its middle value.
void writeVeins(const std::string& path)
{
    Image image(LAYER_SIZE, LAYER_SIZE);
    for (int py = 0; py < LAYER_SIZE; ++py)
        for (int px = 0; px < LAYER_SIZE; ++px) {
            const float u = (px + 0.5f) / LAYER_SIZE, v = (py + 0.5f) / LAYER_SIZE;
            const float n = fractalNoise(u * 24, v * 24, 24, 4, 701);
            const float ridge = 1 - std::fabs(2 * n - 1);
            const float vein = std::pow(ridge, 10.0f);
            const float glow = std::pow(ridge, 3.0f) * 0.25f;
            const float a = clamp01(vein + glow) * roundFade(2 * u - 1, 2 * v - 1);
            image.set(px, py, 1.0f, 0.55f + 0.4f * vein, 0.2f + 0.5f * vein, a);
        }
    writePng(image, path);
}

// Layer 2: broken concentric rings, red-gold arcs whose gaps show the layer turning.
void writeArcs(const std::string& path)
{
    Image image(LAYER_SIZE, LAYER_SIZE);
    for (int py = 0; py < LAYER_SIZE; ++py)
        for (int px = 0; px < LAYER_SIZE; ++px) {
            const float x = (px + 0.5f) / LAYER_SIZE * 2 - 1, y = (py + 0.5f) / LAYER_SIZE * 2 - 1;
            const float radius = std::sqrt(x * x + y * y);
            const float angle = std::atan2(y, x) / (2 * PI_F) + 0.5f;  // 0..1 round the centre
            const float ringIndex = radius * 60;
            const float ring = std::pow(0.5f + 0.5f * std::cos(2 * PI_F * ringIndex), 6.0f);
            // Each ring breaks into arcs at its own places: noise round the circle, varied by ring.
            const float breaks = tileNoise(angle * 16, std::floor(ringIndex) * 1.7f, 16, 733);
            const float arc = smoothstep(0.45f, 0.6f, breaks);
            const float haze = 0.12f * fractalNoise(x * 8 + 8, y * 8 + 8, 16, 3, 739);
            const float a = clamp01(ring * arc + haze) * roundFade(x, y);
            image.set(px, py, 1.0f, 0.35f + 0.45f * ring * arc, 0.1f + 0.2f * ring, a);
        }
    writePng(image, path);
}

// Layer 3: a faint golden haze scattered with small bright sparks.
void writeSparks(const std::string& path)
{
    Image image(LAYER_SIZE, LAYER_SIZE);
    AssetRandom random(751);
    std::vector<float> sparkle(static_cast<std::size_t>(LAYER_SIZE) * LAYER_SIZE, 0.0f);
    for (int i = 0; i < 1500; ++i) {
        const int cx = static_cast<int>(random.unit() * LAYER_SIZE), cy = static_cast<int>(random.unit() * LAYER_SIZE);
        const float strength = 0.4f + 0.6f * random.unit();
        const int reach = 5;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const int x = cx + dx, y = cy + dy;
                if (x < 0 || y < 0 || x >= LAYER_SIZE || y >= LAYER_SIZE)
                    continue;
                const float d2 = static_cast<float>(dx * dx + dy * dy);
                float& s = sparkle[static_cast<std::size_t>(y) * LAYER_SIZE + x];
                s = std::max(s, strength * std::exp(-d2 / 3.0f));
            }
    }
    for (int py = 0; py < LAYER_SIZE; ++py)
        for (int px = 0; px < LAYER_SIZE; ++px) {
            const float u = (px + 0.5f) / LAYER_SIZE, v = (py + 0.5f) / LAYER_SIZE;
            const float haze = 0.35f * smoothstep(0.45f, 0.8f, fractalNoise(u * 12, v * 12, 12, 5, 757));
            const float spark = sparkle[static_cast<std::size_t>(py) * LAYER_SIZE + px];
            const float a = clamp01(haze + spark) * roundFade(2 * u - 1, 2 * v - 1);
            image.set(px, py, 1.0f, 0.8f + 0.2f * spark, 0.45f + 0.5f * spark, a);
        }
    writePng(image, path);
}

// A crossing mark: a soft round glow, white at its heart, clear at the square's edge.
void writeHit(const std::string& path)
{
    const int size = 128;
    Image image(size, size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            const float x = (px + 0.5f) / size * 2 - 1, y = (py + 0.5f) / size * 2 - 1;
            const float r2 = std::min(1.0f, x * x + y * y);
            const float falloff = (1 - r2) * (1 - r2) * (1 - r2);
            const float core = std::exp(-r2 / 0.02f);
            image.set(px, py, 1.0f, 0.85f + 0.15f * core, 0.6f + 0.4f * core, clamp01(falloff * 0.8f + core * 0.2f));
        }
    writePng(image, path);
}

void writeBorderline(const std::string& folder)
{
    writeVeins(folder + "/borderline1.png");
    writeArcs(folder + "/borderline2.png");
    writeSparks(folder + "/borderline3.png");
    writeHit(folder + "/borderlinehit.png");
}

}  // namespace

REGISTER_ASSETS(borderline, writeBorderline);
