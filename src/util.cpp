// util.cpp -- loadTexture: any image SDL_image decodes, as a mipmapped 8-bit RGBA texture; texturedQuad
// and the flat matrices of the full-screen passes.
#include "util.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include "exception.h"

namespace {

GLuint load(const std::string& fileName, ImageAlpha* alpha)
{
    SDL_Surface* loaded = IMG_Load(fileName.c_str());
    if (!loaded)
        THROW_EXCEPTION("Unable to load: " + fileName);

    // These masks put each pixel's bytes in memory as R, G, B, A on little-endian machines: what
    // GL_RGBA with GL_UNSIGNED_BYTE reads, 4 bytes a pixel, so rows need no padding.
    SDL_Surface* format = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    SDL_Surface* converted = SDL_ConvertSurface(loaded, format->format, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    SDL_FreeSurface(format);
    if (!converted)
        THROW_EXCEPTION("Unable to load: " + fileName);

    if (alpha) {
        alpha->width = converted->w;
        alpha->height = converted->h;
        alpha->values.resize(static_cast<std::size_t>(converted->w) * converted->h);
        for (int y = 0; y < converted->h; ++y) {
            const unsigned char* row = static_cast<const unsigned char*>(converted->pixels) + y * converted->pitch;
            for (int x = 0; x < converted->w; ++x)
                alpha->values[static_cast<std::size_t>(y) * converted->w + x] = row[4 * x + 3];
        }
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, converted->w, converted->h, GL_RGBA, GL_UNSIGNED_BYTE, converted->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    SDL_FreeSurface(converted);
    return name;
}

}  // namespace

GLuint loadTexture(const std::string& fileName)
{
    return load(fileName, nullptr);
}

GLuint loadTexture(const std::string& fileName, ImageAlpha& alpha)
{
    return load(fileName, &alpha);
}

void texturedQuad(const float corners[4][4])
{
    glBegin(GL_QUADS);
        for (int i = 0; i < 4; ++i) {
            glTexCoord2f(corners[i][0], corners[i][1]);
            glVertex3f(corners[i][2], corners[i][3], 0.0f);
        }
    glEnd();
}

void pushFlatMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popFlatMatrices()
{
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
