// heightfield.cpp -- terrain built from a height image, lit once, drawn as triangles and grid lines.
#include "heightfield.h"

#include <algorithm>
#include <cmath>

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include "exception.h"
#include "gl.h"

Heightfield::Heightfield(const std::string& imageFile, float heightScale, Vec3 lightDirection, Vec3 baseColour,
                         float ambient)
{
    SDL_Surface* image = IMG_Load(imageFile.c_str());
    if (!image)
        THROW_EXCEPTION("Unable to load: " + imageFile);

    width = image->w;
    depth = image->h;
    heights.resize(static_cast<std::size_t>(width) * depth);
    colours.resize(static_cast<std::size_t>(width) * depth, Vec3{0.0f, 0.0f, 0.0f});

    // The first byte of each pixel as decoded: the grey level of a greyscale image.
    SDL_LockSurface(image);
    const Uint8* pixels = static_cast<const Uint8*>(image->pixels);
    const int bytesPerPixel = image->format->BytesPerPixel;
    for (int z = 0; z < depth; ++z)
        for (int x = 0; x < width; ++x) {
            const Uint8 level = pixels[z * image->pitch + x * bytesPerPixel];
            heights[x + z * width] = level * heightScale * 0.003921569f;
        }
    SDL_UnlockSurface(image);
    SDL_FreeSurface(image);

    const float lightLength = std::sqrt(lightDirection.x * lightDirection.x + lightDirection.y * lightDirection.y +
                                        lightDirection.z * lightDirection.z);
    const Vec3 light{lightDirection.x / lightLength, lightDirection.y / lightLength, lightDirection.z / lightLength};

    for (int z = 0; z < depth - 1; ++z)
        for (int x = 0; x < width - 1; ++x) {
            const float h00 = gridHeight(x, z);
            const float h01 = gridHeight(x, z + 1);
            const float h11 = gridHeight(x + 1, z + 1);
            // Normal of the cell's first triangle; it points down, matching a light that travels down.
            const Vec3 normal{h11 - h01, -1.0f, h01 - h00};
            const float normalLength =
                std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
            const float facing = (normal.x * light.x + normal.y * light.y + normal.z * light.z) / normalLength;
            const float shade = std::max(0.0f, facing * (1.0f - ambient) + ambient);
            colours[x + z * width] = Vec3{baseColour.x * shade, baseColour.y * shade, baseColour.z * shade};
        }
}

float Heightfield::heightAt(float x, float z) const
{
    if (x < 0.0f || z < 0.0f || x >= width || z >= depth)
        return 0.0f;
    const int ix = static_cast<int>(x);
    const int iz = static_cast<int>(z);
    const float fx = x - ix;
    const float fz = z - iz;
    // In the last column or row there is no neighbour beyond; the edge height stands in for it.
    const int nextX = std::min(ix + 1, width - 1);
    const int nextZ = std::min(iz + 1, depth - 1);
    const float h00 = gridHeight(ix, iz);
    const float h10 = gridHeight(nextX, iz);
    const float h01 = gridHeight(ix, nextZ);
    const float h11 = gridHeight(nextX, nextZ);
    return (h00 * (1 - fx) + h10 * fx) * (1 - fz) + (h01 * (1 - fx) + h11 * fx) * fz;
}

void Heightfield::drawSurface() const
{
    for (int z = 0; z < depth - 1; ++z) {
        glBegin(GL_TRIANGLES);
            for (int x = 0; x < width - 1; ++x) {
                const Vec3& colour = colours[x + z * width];
                glColor4f(colour.x, colour.y, colour.z, 1.0f);
                glVertex3f(x, gridHeight(x, z), z);
                glVertex3f(x, gridHeight(x, z + 1), z + 1);
                glVertex3f(x + 1, gridHeight(x + 1, z + 1), z + 1);
                glVertex3f(x, gridHeight(x, z), z);
                glVertex3f(x + 1, gridHeight(x + 1, z + 1), z + 1);
                glVertex3f(x + 1, gridHeight(x + 1, z), z);
            }
        glEnd();
    }
}

void Heightfield::drawGrid() const
{
    for (int x = 0; x < width; ++x) {
        glBegin(GL_LINE_STRIP);
            for (int z = 0; z < depth; ++z)
                glVertex3f(x, gridHeight(x, z) + 0.01f, z);
        glEnd();
    }
    for (int z = 0; z < depth; ++z) {
        glBegin(GL_LINE_STRIP);
            for (int x = 0; x < width; ++x)
                glVertex3f(x, gridHeight(x, z) + 0.01f, z);
        glEnd();
    }
}
