// boardregions.cpp -- the screen rectangles a title card can reach, from its alpha channel.
#include "boardregions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const int TEXEL_CELL = 2;    // image pixels per side of a coverage cell
const int SCREEN_CELL = 4;   // window pixels per side of a screen cell

int powerOfTwoAtMost(int n)
{
    int p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

// An interval of texture coordinates, widened by reach, as at most two intervals inside [0, 1]:
// a repeating texture samples the far edge for coordinates just outside.
int wrapInterval(double from, double to, double reach, double out[2][2])
{
    from -= reach;
    to += reach;
    if (to - from >= 1) {
        out[0][0] = 0;
        out[0][1] = 1;
        return 1;
    }
    int n = 0;
    out[n][0] = std::max(from, 0.0);
    out[n][1] = std::min(to, 1.0);
    ++n;
    if (from < 0) {
        out[n][0] = from + 1;
        out[n][1] = 1;
        ++n;
    } else if (to > 1) {
        out[n][0] = 0;
        out[n][1] = to - 1;
        ++n;
    }
    return n;
}

// A coarse grid over the image: a cell is live when any of its texels has alpha above 0.
struct CellGrid {
    int columns, rows;
    std::vector<unsigned char> live;  // columns * rows, 1 for live, row 0 at the top of the image

    CellGrid(int columns, int rows) : columns(columns), rows(rows), live(static_cast<std::size_t>(columns) * rows, 0) {}
    bool isLive(int column, int row) const { return live[static_cast<std::size_t>(row) * columns + column] != 0; }
    void setLive(int column, int row) { live[static_cast<std::size_t>(row) * columns + column] = 1; }
};

CellGrid liveTexelCells(const ImageAlpha& alpha)
{
    CellGrid cells((alpha.width + TEXEL_CELL - 1) / TEXEL_CELL, (alpha.height + TEXEL_CELL - 1) / TEXEL_CELL);
    for (int y = 0; y < alpha.height; ++y)
        for (int x = 0; x < alpha.width; ++x)
            if (alpha.values[static_cast<std::size_t>(y) * alpha.width + x] != 0)
                cells.setLive(x / TEXEL_CELL, y / TEXEL_CELL);
    return cells;
}

// The screen cells (SCREEN_CELL pixels a side, row 0 at the bottom of the viewport) that some copy
// of a live texel cell can reach: its texels widened by the filter's reach, wrapped round the
// repeating texture, placed on the quad and widened by the largest ring offset.
CellGrid reachableScreenCells(const CellGrid& texelCells, const ImageAlpha& alpha, const CardPlacement& placement,
                              int viewportWidth, int viewportHeight)
{
    CellGrid screen((viewportWidth + SCREEN_CELL - 1) / SCREEN_CELL, (viewportHeight + SCREEN_CELL - 1) / SCREEN_CELL);
    const double reach = filterReach(alpha, placement, viewportWidth, viewportHeight);
    const double reachS = reach / powerOfTwoAtMost(alpha.width);
    const double reachT = reach / powerOfTwoAtMost(alpha.height);
    const double width = placement.right - placement.left;
    const double height = placement.top - placement.bottom;
    // Marks the screen cells under a box given in window pixels, one pixel wider on every side
    // than the exact box so that rounding cannot lose a fragment.
    auto mark = [&](double x0, double x1, double y0, double y1) {
        const int cx0 = std::max(0, static_cast<int>(std::floor(x0 - 1)) / SCREEN_CELL);
        const int cx1 = std::min(screen.columns - 1, static_cast<int>(std::ceil(x1 + 1)) / SCREEN_CELL);
        const int cy0 = std::max(0, static_cast<int>(std::floor(y0 - 1)) / SCREEN_CELL);
        const int cy1 = std::min(screen.rows - 1, static_cast<int>(std::ceil(y1 + 1)) / SCREEN_CELL);
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx)
                screen.setLive(cx, cy);
    };

    for (int cy = 0; cy < texelCells.rows; ++cy) {
        for (int cx = 0; cx < texelCells.columns; ++cx) {
            if (!texelCells.isLive(cx, cy))
                continue;
            double s[2][2], t[2][2];
            const int ns = wrapInterval(double(cx) * TEXEL_CELL / alpha.width,
                                        double(std::min((cx + 1) * TEXEL_CELL, alpha.width)) / alpha.width, reachS, s);
            const int nt = wrapInterval(double(cy) * TEXEL_CELL / alpha.height,
                                        double(std::min((cy + 1) * TEXEL_CELL, alpha.height)) / alpha.height, reachT, t);
            for (int i = 0; i < ns; ++i) {
                for (int j = 0; j < nt; ++j) {
                    // Texture to device coordinates (t = 0 at the top), every copy's offset included.
                    const double left = placement.left + s[i][0] * width - placement.maxShift;
                    const double right = placement.left + s[i][1] * width + placement.maxShift;
                    const double bottom = placement.top - t[j][1] * height - placement.maxShift;
                    const double top = placement.top - t[j][0] * height + placement.maxShift;
                    // Device coordinates to pixels relative to the viewport's corner.
                    mark((left + 1) / 2 * viewportWidth, (right + 1) / 2 * viewportWidth,
                         (bottom + 1) / 2 * viewportHeight, (top + 1) / 2 * viewportHeight);
                }
            }
        }
    }
    return screen;
}

// Runs of live cells along each row as rectangles in window pixels; a run that repeats the one
// below it extends that rectangle upwards.
std::vector<ScreenRect> mergeIntoRectangles(const CellGrid& screen, int viewportX, int viewportY, int viewportWidth,
                                            int viewportHeight)
{
    std::vector<ScreenRect> rects;
    std::vector<std::size_t> open;  // rectangles that reach the row below, by index
    for (int cy = 0; cy < screen.rows; ++cy) {
        std::vector<std::size_t> nowOpen;
        const int y = cy * SCREEN_CELL;
        const int h = std::min(SCREEN_CELL, viewportHeight - y);
        for (int cx = 0; cx < screen.columns;) {
            if (!screen.isLive(cx, cy)) {
                ++cx;
                continue;
            }
            const int start = cx;
            while (cx < screen.columns && screen.isLive(cx, cy))
                ++cx;
            const int x = start * SCREEN_CELL;
            const int w = std::min(cx * SCREEN_CELL, viewportWidth) - x;
            auto below = std::find_if(open.begin(), open.end(), [&](std::size_t k) {
                return rects[k].x == viewportX + x && rects[k].width == w;
            });
            if (below != open.end()) {
                rects[*below].height += h;
                nowOpen.push_back(*below);
            } else {
                rects.push_back({viewportX + x, viewportY + y, w, h});
                nowOpen.push_back(rects.size() - 1);
            }
        }
        open.swap(nowOpen);
    }
    return rects;
}

}  // namespace

double filterReach(const ImageAlpha& alpha, const CardPlacement& placement, int viewportWidth, int viewportHeight)
{
    const int levelWidth = powerOfTwoAtMost(alpha.width);
    const int levelHeight = powerOfTwoAtMost(alpha.height);
    const double quadWidth = (placement.right - placement.left) / 2 * viewportWidth;    // in pixels
    const double quadHeight = (placement.top - placement.bottom) / 2 * viewportHeight;
    const double lod = std::log2(std::max(levelWidth / quadWidth, levelHeight / quadHeight));
    const int deepestLevel = lod < -0.25 ? 0 : static_cast<int>(std::floor(lod + 0.25)) + 1;
    double reach = 1.5 * std::ldexp(1.0, deepestLevel);
    if (levelWidth != alpha.width || levelHeight != alpha.height)
        reach += 1;
    return reach;
}

std::vector<ScreenRect> boardRegions(const ImageAlpha& alpha, const CardPlacement& placement, int viewportX,
                                     int viewportY, int viewportWidth, int viewportHeight)
{
    if (alpha.width <= 0 || alpha.height <= 0 || viewportWidth <= 0 || viewportHeight <= 0 ||
        alpha.values.size() < static_cast<std::size_t>(alpha.width) * alpha.height)
        return {};
    const CellGrid texelCells = liveTexelCells(alpha);
    const CellGrid screen = reachableScreenCells(texelCells, alpha, placement, viewportWidth, viewportHeight);
    return mergeIntoRectangles(screen, viewportX, viewportY, viewportWidth, viewportHeight);
}
