// picture.cpp -- the 4:3 picture's place in the output, its pixel scale, and "WxH" sizes.
#include "picture.h"

#include <cctype>

PictureRect fitPicture(int outputWidth, int outputHeight)
{
    // Compare 4:3 without division: wider than 4:3 gets side bars, taller gets bars above and below.
    // The picture's other side is rounded to the nearest pixel.
    if (static_cast<long>(outputWidth) * 3 >= static_cast<long>(outputHeight) * 4) {
        const int width = static_cast<int>((static_cast<long>(outputHeight) * 8 + 3) / 6);
        return PictureRect{(outputWidth - width) / 2, 0, width, outputHeight};
    }
    const int height = static_cast<int>((static_cast<long>(outputWidth) * 6 + 4) / 8);
    return PictureRect{0, (outputHeight - height) / 2, outputWidth, height};
}

float pixelScaleFor(int pictureHeight)
{
    return static_cast<float>(pictureHeight) / DESIGN_HEIGHT;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos)
        return false;
    long parts[2] = {0, 0};
    const std::string pieces[2] = {text.substr(0, cross), text.substr(cross + 1)};
    for (int i = 0; i < 2; ++i) {
        if (pieces[i].empty() || pieces[i].size() > 5)
            return false;
        for (char c : pieces[i])
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
        parts[i] = std::stol(pieces[i]);
        if (parts[i] < 1 || parts[i] > 32768)
            return false;
    }
    width = static_cast<int>(parts[0]);
    height = static_cast<int>(parts[1]);
    return true;
}
