// fireassets.cpp -- the core scene's fire: a square of flame brightest at its heart, and a ray's flame tongue.
#include <algorithm>
#include <cmath>
#include <string>

#include "image.h"
#include "matrix.h"
#include "registry.h"

namespace {


// Heat 0..1 to a fire colour: dark red, orange, yellow, white.
void fireColour(float heat, float* rgb)
{
    rgb[0] = clamp01(heat * 2.2f);
    rgb[1] = clamp01(heat * 1.7f - 0.35f);
    rgb[2] = clamp01(heat * 2.5f - 1.6f);
}

// The core's fire fills the square: hottest in the middle, tongues licking outwards, and clear at
// the square's edges so the stacked copies show no border.
void writeCoreFire(const std::string& path)
{
    const int size = 512;
    Image image(size, size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            const float x = (px + 0.5f) / size * 2 - 1, y = (py + 0.5f) / size * 2 - 1;
            const float radius = std::sqrt(x * x + y * y);
            const float angle = std::atan2(y, x) / (2 * PI_F) + 0.5f;
            // Tongues: noise round the centre, stretched outwards, so flames point away from it.
            const float tongues = fractalNoise(angle * 24, radius * 2, 24, 4, 811);
            const float turbulence = fractalNoise(x * 6 + 6, y * 6 + 6, 12, 5, 823);
            const float reach = 1.05f + 0.6f * (tongues - 0.5f);
            const float heat = clamp01(1.2f * std::pow(clamp01(1.0f - radius / reach), 0.7f) + 0.4f * (turbulence - 0.5f));
            const float edge = smoothstep(1.0f, 0.88f, std::max(std::fabs(x), std::fabs(y)));
            float rgb[3];
            fireColour(heat, rgb);
            image.set(px, py, rgb[0], rgb[1], rgb[2], clamp01(heat * 1.5f) * edge);
        }
    writePng(image, path);
}

// A ray: one flame tongue along t (image rows), its base at the top row (t = 0), hot and wide, its
// tip near the bottom (t = 1); centred across s. The ray's triangle samples s within t/2 of the
// middle, so the tongue fits inside that wedge.
void writeRayFire(const std::string& path)
{
    const int width = 128, height = 256;
    Image image(width, height);
    for (int py = 0; py < height; ++py) {
        const float t = (py + 0.5f) / height;
        const float halfWidth = 0.5f * t * (1 - std::pow(t, 4.0f)) + 0.02f;
        for (int px = 0; px < width; ++px) {
            const float s = (px + 0.5f) / width;
            const float flicker = fractalNoise(s * 8, t * 4, 8, 4, 853) - 0.5f;
            const float across = std::fabs(s - 0.5f + 0.08f * flicker * t) / halfWidth;
            const float body = clamp01(1 - across * across);
            const float heat = clamp01(body * (1.1f - 0.9f * t) + 0.2f * flicker * body);
            float rgb[3];
            fireColour(heat, rgb);
            const float tipFade = smoothstep(0.99f, 0.85f, t);
            image.set(px, py, rgb[0], rgb[1], rgb[2], clamp01(heat * 1.6f) * tipFade);
        }
    }
    writePng(image, path);
}

void writeFire(const std::string& folder)
{
    writeCoreFire(folder + "/corefire.png");
    writeRayFire(folder + "/rayfire.png");
}

}  // namespace

REGISTER_ASSETS(fire, writeFire);
