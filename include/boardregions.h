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

// How far, in texels of the largest power of two not above the image size, a sample of the card can
// reach from the texel it lands on. Bilinear filtering reads 1.5 texels of its level each way, and a
// texel of mip level L spans 2^L of these; trilinear filtering reads the two levels around the card's
// level of detail on screen, taken a quarter level finer than it is so that a renderer's rounding
// cannot reach a level not allowed for. The rescaling gluBuild2DMipmaps does for other sizes adds one.
double filterReach(const ImageAlpha& alpha, const CardPlacement& placement, int viewportWidth, int viewportHeight);

// Disjoint rectangles, inside the viewport, that cover every pixel where any copy of the card can
// sample a texel with alpha above 0 (with mipmapped, bilinear sampling and a repeating texture).
// A pixel outside them may be skipped: no copy adds anything there.
std::vector<ScreenRect> boardRegions(const ImageAlpha& alpha, const CardPlacement& placement, int viewportX,
                                     int viewportY, int viewportWidth, int viewportHeight);
