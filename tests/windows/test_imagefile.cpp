// test_imagefile.cpp -- the Windows build's image decoder against SDL_image, natively: for every
// generated asset and for PNG forms the assets do not use, the same surface or the same refusal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <png.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#define IMAGEFILE_IMPLEMENTATION  // both decoders side by side: IMG_Load stays SDL_image's
#include "imagefile.h"

namespace {

const std::string scratch = "/tmp/bearings-imagefile-" + std::to_string(getpid());

// Same size, pixel format, colour key, palette and pixels (each row's used bytes).
void expectSameSurface(SDL_Surface* expected, SDL_Surface* actual, const std::string& name)
{
    ASSERT_TRUE(expected) << name;
    ASSERT_TRUE(actual) << name << " decodes with SDL_image but not with loadImageFile";
    ASSERT_EQ(expected->w, actual->w) << name;
    ASSERT_EQ(expected->h, actual->h) << name;
    const SDL_PixelFormat& e = *expected->format;
    const SDL_PixelFormat& a = *actual->format;
    ASSERT_EQ(e.BitsPerPixel, a.BitsPerPixel) << name;
    EXPECT_TRUE(e.Rmask == a.Rmask && e.Gmask == a.Gmask && e.Bmask == a.Bmask && e.Amask == a.Amask) << name;
    const bool keyed = expected->flags & SDL_SRCCOLORKEY;
    EXPECT_EQ(keyed, bool(actual->flags & SDL_SRCCOLORKEY)) << name;
    EXPECT_TRUE(!keyed || e.colorkey == a.colorkey) << name;
    ASSERT_EQ(e.palette != nullptr, a.palette != nullptr) << name;
    if (e.palette) {
        ASSERT_EQ(e.palette->ncolors, a.palette->ncolors) << name;
        EXPECT_EQ(0, std::memcmp(e.palette->colors, a.palette->colors, sizeof(SDL_Color) * e.palette->ncolors)) << name;
    }
    const int rowBytes = expected->w * e.BytesPerPixel;
    int differingRows = 0;
    for (int y = 0; y < expected->h; ++y)
        differingRows += std::memcmp(static_cast<Uint8*>(expected->pixels) + y * expected->pitch,
                                     static_cast<Uint8*>(actual->pixels) + y * actual->pitch, rowBytes) != 0;
    EXPECT_EQ(0, differingRows) << name;
}

void expectSameAsSdlImage(const std::string& path)
{
    SDL_Surface* expected = IMG_Load(path.c_str());
    SDL_Surface* actual = loadImageFile(path.c_str());
    if (!expected) {
        EXPECT_FALSE(actual) << path << " is refused by SDL_image but decodes with loadImageFile";
    } else {
        expectSameSurface(expected, actual, path);
    }
    SDL_FreeSurface(expected);
    SDL_FreeSurface(actual);
}

// A PNG of the given form; pixel bytes as libpng takes them, a pattern that uses every sample value.
struct PngForm {
    std::string name;
    int colorType;
    int bitDepth;
    int interlace = PNG_INTERLACE_NONE;
    std::vector<png_byte> alphas = {};  // tRNS for palettes: one alpha per entry
    bool colorKey = false;              // tRNS for grey and RGB: one transparent colour
};

std::string writePng(const PngForm& form, int width = 13, int height = 7)
{
    const std::string path = scratch + "/" + form.name + ".png";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, form.bitDepth, form.colorType, form.interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (form.colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette(1 << form.bitDepth);
        for (std::size_t i = 0; i < palette.size(); ++i)
            palette[i] = png_color{static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i * 11), static_cast<png_byte>(i * 5)};
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (!form.alphas.empty())
            png_set_tRNS(png, info, form.alphas.data(), static_cast<int>(form.alphas.size()), nullptr);
    } else if (form.colorKey) {
        png_color_16 key{0, 1, 2, 3, 1};  // index, red, green, blue, grey
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_byte> row(rowBytes);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            for (std::size_t x = 0; x < rowBytes; ++x)
                row[x] = static_cast<png_byte>(x * 29 + y * 71);
            png_write_row(png, row.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return path;
}

class ImageFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0, system(("mkdir -p " + scratch).c_str())); }
    static void TearDownTestSuite() { ASSERT_EQ(0, system(("rm -rf " + scratch).c_str())); }
};

}  // namespace

TEST_F(ImageFileTest, EveryGeneratedImageAndOtherPngFormsDecodeAsSdlImageDecodesThem)
{
    DIR* dir = opendir(SHOW_DIR);
    ASSERT_TRUE(dir);
    int images = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && (name.substr(name.size() - 4) == ".png" || name.substr(name.size() - 4) == ".bmp")) {
            expectSameAsSdlImage(std::string(SHOW_DIR) + "/" + name);
            ++images;
        }
    }
    closedir(dir);
    EXPECT_GE(images, 20);

    // And PNG forms the assets do not use.
    const std::vector<PngForm> forms = {
        {"rgb16", PNG_COLOR_TYPE_RGB, 16},
        {"rgba16", PNG_COLOR_TYPE_RGBA, 16},
        {"rgb-interlaced", PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_ADAM7},
        {"rgb-key", PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE, {}, true},
        {"gray2", PNG_COLOR_TYPE_GRAY, 2},
        {"gray8", PNG_COLOR_TYPE_GRAY, 8},
        {"gray16", PNG_COLOR_TYPE_GRAY, 16},
        {"gray-alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4},
        {"palette-one-clear", PNG_COLOR_TYPE_PALETTE, 8, PNG_INTERLACE_NONE, {255, 255, 0, 255}},
        {"palette-translucent", PNG_COLOR_TYPE_PALETTE, 8, PNG_INTERLACE_NONE, {255, 128, 0}},
        {"palette-two-clear", PNG_COLOR_TYPE_PALETTE, 1, PNG_INTERLACE_NONE, {0, 0}},
    };
    for (const PngForm& form : forms)
        expectSameAsSdlImage(writePng(form));
}

TEST_F(ImageFileTest, DamagedAndMissingFilesAreRefusedAndAFrameWithNowhereToGoIsNotWritten)
{
    std::ifstream in(writePng({"whole", PNG_COLOR_TYPE_RGBA, 8}, 64, 64), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    std::string noise = bytes.substr(0, 16);  // signature and the start of the header, then noise
    for (std::size_t i = 16; i < bytes.size(); ++i)
        noise += static_cast<char>(i * 7919 % 251);
    const std::string cut = scratch + "/cut.png", garbled = scratch + "/garbled.png", empty = scratch + "/empty.png";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(garbled, std::ios::binary) << noise;
    std::ofstream(empty, std::ios::binary).flush();

    for (const std::string& path : {cut, garbled, empty, scratch + "/missing.png"}) {
        SDL_Surface* surface = loadImageFile(path.c_str());
        EXPECT_FALSE(surface) << path;
        SDL_FreeSurface(surface);
    }
    // Nor is a frame with nowhere to go taken as written. (The frames written are read back by the
    // Windows test, against the native capture tool's.)
    const unsigned char black[3] = {};
    EXPECT_FALSE(writeRgbPngFile(black, 1, 1, scratch + "/no-such-folder/frame.png"));
}
