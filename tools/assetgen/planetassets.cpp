// planetassets.cpp -- the planet scene's moon disc and its seamless equirectangular cloud map.
#include <cmath>
#include <string>
#include <vector>

#include "image.h"
#include "matrix.h"
#include "registry.h"

namespace {

struct Crater {
    float x, y;    // centre, in disc radii from the disc's centre
    float radius;  // in disc radii
};

// The moon: a cream disc with dark seas and rimmed craters, on transparent black. The scene adds
// it onto the picture, so black is what leaves the picture alone.
void writeMoon(const std::string& folder)
{
    const int size = 256;
    const float centre = size / 2.0f, discRadius = 112.0f;
    AssetRandom random(2024);
    std::vector<Crater> craters;
    while (craters.size() < 40) {
        const float x = random.range(-1, 1), y = random.range(-1, 1);
        if (x * x + y * y < 0.8f)
            craters.push_back(Crater{x, y, 0.03f + 0.12f * random.unit() * random.unit()});
    }

    Image image(size, size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            const float x = (px + 0.5f - centre) / discRadius, y = (py + 0.5f - centre) / discRadius;
            const float distance = std::sqrt(x * x + y * y);
            const float coverage = smoothstep(1.0f + 1.0f / discRadius, 1.0f - 1.0f / discRadius, distance);
            if (coverage <= 0)
                continue;
            // Seas: broad dark patches; then a slight darkening towards the limb.
            const float sea = smoothstep(0.52f, 0.62f, fractalNoise(x * 2 + 4, y * 2 + 4, 16, 4, 31));
            float shade = 0.95f - 0.35f * sea + 0.06f * (fractalNoise(x * 12 + 40, y * 12 + 40, 64, 3, 37) - 0.5f);
            for (const Crater& crater : craters) {
                // Sunlight from the upper left: a bowl's upper-left wall lies in shadow, its lower
                // right wall and the outside of the rim opposite catch the light.
                const float dx = (x - crater.x) / crater.radius, dy = (y - crater.y) / crater.radius;
                const float d = std::sqrt(dx * dx + dy * dy);
                const float towardsLight = d > 0 ? -0.7071f * (dx + dy) / d : 0;
                if (d < 1)
                    shade += -0.06f - 0.22f * towardsLight * d;
                else if (d < 1.3f)
                    shade += 0.12f * towardsLight * (1.3f - d) / 0.3f;
            }
            shade *= 1.0f - 0.25f * distance * distance * distance * distance;
            shade = clamp01(shade);
            image.set(px, py, shade, shade * 0.95f, shade * 0.85f, coverage);
            // Straight alpha is stored premultiplied in the PNG, so the rim fades to black as well.
        }
    writePng(image, folder + "/moon.png");
}

// The cloud map, wrapped round the planet's spheres: longitude across, latitude down. The noise
// lattice wraps horizontally, so the seam where the left and right edges meet does not show.
void writePlanetClouds(const std::string& folder)
{
    const int width = 512, height = 256;
    const int period = 8;  // noise cells round the equator
    Image image(width, height);
    for (int py = 0; py < height; ++py) {
        const float latitude = (py + 0.5f) / height;  // 0 at one pole, 1 at the other
        for (int px = 0; px < width; ++px) {
            const float u = (px + 0.5f) / width * period;
            const float v = latitude * period / 2;
            // Swirl: offset the lookup by a coarser noise so the bands curl.
            const float warp = fractalNoise(u, v, period, 3, 53) - 0.5f;
            const float bands = 0.5f + 0.5f * std::sin(latitude * PI_F * 7 + warp * 6);
            const float cloud = fractalNoise(u + warp * 1.5f, v + warp, period, 5, 59);
            const float density = smoothstep(0.38f, 0.72f, 0.75f * cloud + 0.25f * bands);
            const float r = 0.35f + 0.65f * density;
            const float g = 0.30f + 0.65f * density;
            const float b = 0.40f + 0.60f * density;
            image.set(px, py, r, g, b, 1.0f);
        }
    }
    writePng(image, folder + "/planetclouds.png");
}

void writePlanetAssets(const std::string& folder)
{
    writeMoon(folder);
    writePlanetClouds(folder);
}

}  // namespace

REGISTER_ASSETS(planet, writePlanetAssets);
