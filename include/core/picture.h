// picture.h -- where the show's 4:3 picture sits in an output of any size, and the size of a pixel.
//
// Everything the show draws in pixels was laid out for a picture 768 pixels high; on a taller or
// shorter picture those sizes scale with its height so that the composition stays the same.
#pragma once

#include <string>

constexpr int DESIGN_WIDTH = 1024;  // pixels: the picture the show was laid out for
constexpr int DESIGN_HEIGHT = 768;

// A rectangle of the output as glViewport takes it: origin at the bottom left, in pixels.
struct PictureRect {
    int x, y, width, height;
};

// The largest 4:3 rectangle that fits an output of this size, centred, with bars on the sides that
// are left over (left and right for a wider output, top and bottom for a taller one).
PictureRect fitPicture(int outputWidth, int outputHeight);

// How many output pixels a pixel of the 768-high layout becomes: exactly 1 at a height of 768.
float pixelScaleFor(int pictureHeight);

// Reads "WIDTHxHEIGHT" (decimal, 1 to 32768 each, nothing else around them); false for anything
// else, leaving width and height alone.
bool parseSize(const std::string& text, int& width, int& height);
