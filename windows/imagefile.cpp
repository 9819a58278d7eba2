// imagefile.cpp -- PNG decoding and encoding with libpng, shaped as SDL_image 1.2 shapes its surfaces.
#define IMAGEFILE_IMPLEMENTATION
#include "imagefile.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

namespace {

// Closes the file however decoding ends.
struct File {
    std::FILE* handle;
    explicit File(const char* name, const char* mode) : handle(std::fopen(name, mode)) {}
    ~File() { if (handle) std::fclose(handle); }
};

bool isPng(std::FILE* file)
{
    png_byte signature[8];
    const bool png = std::fread(signature, 1, sizeof signature, file) == sizeof signature &&
                     png_sig_cmp(signature, 0, sizeof signature) == 0;
    std::rewind(file);
    return png;
}

// A palette with exactly one fully transparent entry and no translucent ones keeps its palette
// and gets a colour key; any other transparency becomes an alpha channel. Returns the key (the
// palette index, or 0 for a key colour, in transparentColor, mapped once the surface exists) or -1.
int readTransparency(png_structp png, png_infop info, int colorType, png_color_16p& transparentColor)
{
    if (!png_get_valid(png, info, PNG_INFO_tRNS))
        return -1;
    png_bytep alphas = nullptr;
    int count = 0;
    png_get_tRNS(png, info, &alphas, &count, &transparentColor);
    if (colorType != PNG_COLOR_TYPE_PALETTE)
        return 0;
    int transparent = -1;
    for (int i = 0; i < count; ++i) {
        if (alphas[i] == 0 && transparent < 0) {
            transparent = i;
        } else if (alphas[i] != 255) {
            png_set_expand(png);
            return -1;
        }
    }
    return transparent;
}

// The PNG's palette into the surface's, or a grey ramp for a grey image.
void copyPalette(png_structp png, png_infop info, int colorType, SDL_Palette* palette)
{
    if (colorType == PNG_COLOR_TYPE_GRAY) {
        palette->ncolors = 256;
        for (int i = 0; i < 256; ++i)
            palette->colors[i].r = palette->colors[i].g = palette->colors[i].b = static_cast<Uint8>(i);
        return;
    }
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    if (count <= 0)
        return;
    palette->ncolors = count;
    for (int i = 0; i < count; ++i) {
        palette->colors[i].r = entries[i].red;
        palette->colors[i].g = entries[i].green;
        palette->colors[i].b = entries[i].blue;
    }
}

// Decodes an open PNG file. libpng reports errors by jumping back to the setjmp below, so nothing
// with a destructor may live between it and the reads; the surface is freed on that path.
SDL_Surface* decodePng(std::FILE* file)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    SDL_Surface* volatile surface = nullptr;
    png_bytep* volatile rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        delete[] rows;
        SDL_FreeSurface(surface);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return nullptr;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_uint_32 width, height;
    int bitDepth, colorType;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

    // 8 bits a sample, one sample a byte, greys of fewer bits widened to 8.
    png_set_strip_16(png);
    png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY)
        png_set_expand(png);

    png_color_16p transparentColor = nullptr;
    int colorKey = readTransparency(png, info, colorType, transparentColor);
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

    const int channels = png_get_channels(png, info);
    Uint32 red = 0, green = 0, blue = 0, alpha = 0;
    if (colorType != PNG_COLOR_TYPE_PALETTE) {
        red = 0x000000FF;  // bytes R, G, B, A in memory on a little-endian machine
        green = 0x0000FF00;
        blue = 0x00FF0000;
        alpha = channels == 4 ? 0xFF000000 : 0;
    }
    surface = SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(width), static_cast<int>(height),
                                   bitDepth * channels, red, green, blue, alpha);
    if (!surface)
        png_error(png, "out of memory");
    if (colorKey != -1) {
        if (colorType != PNG_COLOR_TYPE_PALETTE)
            colorKey = static_cast<int>(SDL_MapRGB(surface->format, static_cast<Uint8>(transparentColor->red),
                                                   static_cast<Uint8>(transparentColor->green),
                                                   static_cast<Uint8>(transparentColor->blue)));
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, static_cast<Uint32>(colorKey));
    }

    rows = new png_bytep[height];
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = static_cast<png_bytep>(surface->pixels) + y * surface->pitch;
    png_read_image(png, rows);

    if (surface->format->palette)
        copyPalette(png, info, colorType, surface->format->palette);
    delete[] rows;
    png_destroy_read_struct(&png, &info, nullptr);
    return surface;
}

bool encodePng(std::FILE* file, const unsigned char* rgb, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

SDL_Surface* loadImageFile(const char* file)
{
    File in(file, "rb");
    if (!in.handle)
        return nullptr;
    if (isPng(in.handle))
        return decodePng(in.handle);
    return SDL_LoadBMP(file);
}

bool writeRgbPngFile(const unsigned char* rgb, int width, int height, const std::string& path)
{
    File out(path.c_str(), "wb");
    return out.handle && encodePng(out.handle, rgb, width, height) && std::fflush(out.handle) == 0;
}
