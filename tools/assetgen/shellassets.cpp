// shellassets.cpp -- the loading image and the four overlay textures laid over every frame.
#include <cmath>
#include <string>

#include "image.h"
#include "registry.h"

namespace {

// The loading screen: a warm vignette with a transparent slot where the grey bar shows through.
// Only the left 70 % of the width reaches the screen, so the slot is centred on x = 0.35. At scale 2
// the same picture with twice the pixels each way, for pictures taller than 768.
void writeLoading(const std::string& folder, int scale)
{
    const int width = 512 * scale, height = 256 * scale;
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float u = (x + 0.5f) / width / 0.7f;  // 0..1 across the visible part
            const float v = (y + 0.5f) / height;
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float vignette = 1.0f - 0.9f * std::sqrt(dx * dx + dy * dy);
            const float slot = smoothstep(0.06f, 0.045f, std::fabs(dy)) * smoothstep(0.49f, 0.47f, std::fabs(dx));
            const float grain = 0.04f * fractalNoise(x / (8.0f * scale), y / (8.0f * scale), 64, 3, 17);
            image.set(x, y, 0.20f * vignette + grain, 0.13f * vignette + grain, 0.09f * vignette + grain, 1.0f - slot);
        }
    writePng(image, folder + "/" + scaledName("loading.png", scale));
}

// Letterbox: black bands top and bottom with soft inner edges, white (no change) between. Its soft
// edges are seen magnified on large pictures: scale 2 draws it with twice the pixels each way.
void writeLetterbox(const std::string& folder, int scale)
{
    const int size = 256 * scale;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        const float v = (y + 0.5f) / size;
        const float edge = std::fmin(v, 1.0f - v);  // distance to the nearest top or bottom edge
        const float open = smoothstep(0.10f, 0.13f, edge);
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size;
            const float side = std::fmin(u, 1.0f - u);
            const float shade = open * (0.75f + 0.25f * smoothstep(0.0f, 0.35f, side));  // darker flanks
            image.set(x, y, shade, shade, shade, 1.0f);
        }
    }
    writeBmp(image, folder + "/" + scaledName("letterbox.bmp", scale));
}

// Grain: near-white speckle; multiplied over the frame it darkens it by a few percent at random.
void writeNoise(const std::string& folder)
{
    const int size = 256;
    Image image(size, size);
    AssetRandom random(4711);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float value = 0.93f + 0.07f * random.unit();
            if (random.unit() < 0.004f)
                value = 0.55f + 0.3f * random.unit();  // the odd dust speck
            image.set(x, y, value, value * 0.99f, value * 0.97f, 1.0f);
        }
    writeBmp(image, folder + "/noise.bmp");
}

// Line: a scratch on the film, a bright centre fading to the sides, broken up along its length.
void writeLine(const std::string& folder)
{
    const int width = 32, height = 256;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        const float along = 0.55f + 0.45f * fractalNoise(0.5f, y / 16.0f, 16, 4, 99);
        for (int x = 0; x < width; ++x) {
            const float across = 1.0f - std::fabs((x + 0.5f) / width - 0.5f) * 2.0f;
            const float value = along * std::pow(across, 3.0f);
            image.set(x, y, value, value, value * 0.9f, 1.0f);
        }
    }
    writePng(image, folder + "/line.png");
}

// Blob: a soft warm glow whose centre sits at (0.3, 0.33) of the image, the part that reaches the
// screen from the overlay's stretched quads.
void writeBlob(const std::string& folder)
{
    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / size - 0.3f, dy = (y + 0.5f) / size - 0.33f;
            const float glow = std::exp(-(dx * dx + dy * dy) / 0.03f);
            image.set(x, y, glow, glow * 0.75f, glow * 0.5f, 1.0f);
        }
    writePng(image, folder + "/blob.png");
}

void writeShellAssets(const std::string& folder)
{
    for (int scale = 1; scale <= 2; ++scale) {
        writeLoading(folder, scale);
        writeLetterbox(folder, scale);
    }
    writeNoise(folder);
    writeLine(folder);
    writeBlob(folder);
}

}  // namespace

REGISTER_ASSETS(shell, writeShellAssets);
