// boardregions.h -- where on the screen a title card can show anything at all.
//
// A card is drawn additively, weighted by its alpha, so a fragment whose texels all have alpha 0
// adds exactly nothing. Most of a card is such empty space, and a software renderer pays for every
// fragment, so the card is drawn only inside these rectangles; the frame comes out the same.
#pragma once

#include <vector>

#include "util.h"

// Where the card's quad sits in normalised device coordinates before its ring offset; texture s runs
// 0..1 from left to right and t 0..1 from top to bottom.
struct CardPlacement {
    float left, right, bottom, top;
    float maxShift;  // the largest offset of any copy, in each axis
};

// A window rectangle as glScissor takes it: origin at the bottom left, in pixels.
struct ScreenRect {
    int x, y, width, height;
};

// Disjoint rectangles, inside the viewport, that cover every pixel where any copy of the card can
// sample a texel with alpha above 0 (with mipmapped, bilinear sampling and a repeating texture).
// A pixel outside them may be skipped: no copy adds anything there.
std::vector<ScreenRect> boardRegions(const ImageAlpha& alpha, const CardPlacement& placement, int viewportX,
                                     int viewportY, int viewportWidth, int viewportHeight);
