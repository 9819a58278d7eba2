// heightfield.h -- terrain from a greyscale image: baked-lit cells, height queries and a line grid.
#pragma once

#include <string>
#include <vector>

#include "matrix.h"

// Grid point (x, z) stands at (x, height, z) in terrain space, one unit apart along x and z.
class Heightfield {
public:
    // Reads the first byte of each pixel of imageFile as a height (0..255 scaled to 0..heightScale)
    // and lights every cell once. lightDirection is the way the light travels (need not be unit).
    // Throws "Unable to load: " + imageFile when the image cannot be decoded.
    Heightfield(const std::string& imageFile, float heightScale, Vec3 lightDirection, Vec3 baseColour, float ambient);
    Heightfield(const Heightfield&) = delete;
    Heightfield& operator=(const Heightfield&) = delete;

    // Bilinear height between the four grid points around (x, z). 0 outside the terrain
    // (negative, or from width/depth on); the last column and row hold their edge heights.
    float heightAt(float x, float z) const;

    void drawSurface() const;  // coloured triangles, one flat colour per cell, one batch per row
    void drawGrid() const;     // line strips 0.01 above the surface in the caller's colour and blend

    int getWidth() const { return width; }
    int getDepth() const { return depth; }

private:
    float gridHeight(int x, int z) const { return heights[x + z * width]; }

    std::vector<float> heights;  // terrain units, point (x, z) at index x + z * width
    std::vector<Vec3> colours;   // RGB of cell (x, z) at index x + z * width; last column/row unused
    int width;                   // grid points along x: the image's width in pixels
    int depth;                   // grid points along z: the image's height in pixels
};
