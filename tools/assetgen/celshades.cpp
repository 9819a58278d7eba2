// celshades.cpp -- generates "celshades.png": the teddy's shade ramp, dark at s = 0 to light at s = 1.
#include <string>

#include "image.h"
#include "registry.h"

namespace {

// Four hard bands, read along the first row with nearest filtering. s is how far a normal faces the
// light; the darkest band is a shadow tone, not black, so the scene's tint still reads there.
void writeCelShades(const std::string& folder)
{
    const int width = 64, height = 4;
    Image image(width, height);
    for (int x = 0; x < width; ++x) {
        const float s = (x + 0.5f) / width;
        float shade = 1.0f;
        if (s < 0.1f)
            shade = 0.5f;
        else if (s < 0.45f)
            shade = 0.7f;
        else if (s < 0.8f)
            shade = 0.87f;
        for (int y = 0; y < height; ++y)
            image.set(x, y, shade, shade * 0.97f, shade * 0.92f, 1.0f);  // a touch warm, like lamplight
    }
    writePng(image, folder + "/celshades.png");
}

}  // namespace

REGISTER_ASSETS(celshades, writeCelShades);
