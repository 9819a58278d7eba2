// clouds.cpp -- the cloud scene's two sprite puffs: soft white blobs whose alpha fades to 0 at the rim.
#include <algorithm>
#include <cmath>
#include <string>

#include "image.h"
#include "registry.h"

namespace {

constexpr int puffSize = 128;  // pixels; the scene's sprites cover a few dozen pixels on screen

// One round lump of cloud: density 1 at its centre, 0 from `radius` on (both in sprite half-widths).
float lump(float x, float y, float centreX, float centreY, float radius)
{
    const float distance = std::hypot(x - centreX, y - centreY) / radius;
    return smoothstep(1.0f, 0.15f, distance);
}

// Density to alpha: a fluffy edge rather than a hard disc, and an outer fade to exactly 0 so no
// sprite ever shows its square.
float puffAlpha(float density, float x, float y, float fuzz)
{
    const float edgeFade = smoothstep(0.98f, 0.8f, std::hypot(x, y));
    return clamp01(density * (1.0f - fuzz + fuzz * fuzz * 2.0f)) * edgeFade;
}

// The figure's puff: one round, slightly lumpy ball, lit from above.
void writeFigurePuff(const std::string& path)
{
    Image image(puffSize, puffSize);
    for (int py = 0; py < puffSize; ++py)
        for (int px = 0; px < puffSize; ++px) {
            const float x = (px + 0.5f) / puffSize * 2 - 1, y = (py + 0.5f) / puffSize * 2 - 1;
            const float fuzz = fractalNoise(x * 3 + 8, y * 3 + 8, 16, 4, 71);
            const float density = lump(x, y, 0.0f, 0.0f, 0.9f);
            const float light = 1.0f - 0.12f * smoothstep(-0.6f, 0.8f, y);  // image y grows downwards
            image.set(px, py, light, light, std::min(1.0f, light + 0.03f), 0.9f * puffAlpha(density, x, y, fuzz));
        }
    writePng(image, path);
}

// The layer's puff: a flat-bottomed heap of a few lumps, warm white; the scene stretches it twice as wide.
void writeLayerPuff(const std::string& path)
{
    Image image(puffSize, puffSize);
    for (int py = 0; py < puffSize; ++py)
        for (int px = 0; px < puffSize; ++px) {
            const float x = (px + 0.5f) / puffSize * 2 - 1, y = (py + 0.5f) / puffSize * 2 - 1;
            const float fuzz = fractalNoise(x * 4 + 20, y * 4 + 20, 32, 4, 83);
            float density = lump(x, y, 0.0f, 0.1f, 0.8f);
            density = std::max(density, lump(x, y, -0.45f, 0.25f, 0.5f));
            density = std::max(density, lump(x, y, 0.42f, 0.2f, 0.55f));
            density = std::max(density, lump(x, y, 0.1f, -0.3f, 0.55f));
            density *= smoothstep(0.85f, 0.55f, y);  // flatten the underside
            const float light = 1.0f - 0.15f * smoothstep(-0.5f, 0.7f, y);
            image.set(px, py, light, 0.97f * light, 0.92f * light, 0.85f * puffAlpha(density, x, y, fuzz));
        }
    writePng(image, path);
}

void writeClouds(const std::string& folder)
{
    writeFigurePuff(folder + "/cloud.png");
    writeLayerPuff(folder + "/cloud2.png");
}

}  // namespace

REGISTER_ASSETS(clouds, writeClouds);
