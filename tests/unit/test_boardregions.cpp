// test_boardregions.cpp -- the screen rectangles a title card is drawn in must hold every pixel
// where any copy can sample a texel that is not transparent, each exactly once. (That an opaque card
// is one rectangle is checked with the drawn card in test_shell_drawing.cpp.)
#include <gtest/gtest.h>

#include <cmath>

#include "boardregions.h"

namespace {

const CardPlacement CARD = {-0.95f, 0.95f, -0.7f, 0.7f, 0.02f};

ImageAlpha transparent(int width, int height)
{
    return ImageAlpha{width, height, std::vector<unsigned char>(static_cast<std::size_t>(width) * height)};
}

ImageAlpha scattered(int width, int height, int spacing)
{
    ImageAlpha alpha = transparent(width, height);
    for (int y = spacing / 2; y < height; y += spacing)
        for (int x = spacing / 2; x < width; x += spacing)
            alpha.values[static_cast<std::size_t>(y) * width + x] = 255;
    return alpha;
}

// True when bilinear sampling of mip level `level` at (s, t), with a repeating texture, reads a
// texel whose block of the image holds any alpha.
bool samplesAlpha(const ImageAlpha& alpha, int level, double s, double t)
{
    const int block = 1 << level;
    const int w = std::max(1, alpha.width / block), h = std::max(1, alpha.height / block);
    const int u0 = static_cast<int>(std::floor(s * w - 0.5)), v0 = static_cast<int>(std::floor(t * h - 0.5));
    for (int v = v0; v <= v0 + 1; ++v) {
        for (int u = u0; u <= u0 + 1; ++u) {
            const int bu = ((u % w) + w) % w, bv = ((v % h) + h) % h;
            for (int y = bv * block; y < (bv + 1) * block && y < alpha.height; ++y)
                for (int x = bu * block; x < (bu + 1) * block && x < alpha.width; ++x)
                    if (alpha.values[static_cast<std::size_t>(y) * alpha.width + x])
                        return true;
        }
    }
    return false;
}

// Walks every pixel of the viewport through every copy the ring can place (several radii, twenty
// angles) and mip levels 0 to deepestLevel (the coarser of the two that trilinear filtering reads at
// the card's size on screen): a pixel that can see alpha must be in exactly one rectangle, and no
// pixel may be in two.
void expectCovered(const ImageAlpha& alpha, int vx, int vy, int vw, int vh, int deepestLevel,
                   const CardPlacement& card = CARD)
{
    const std::vector<ScreenRect> rects = boardRegions(alpha, card, vx, vy, vw, vh);
    int needed = 0;
    for (int py = 0; py < vh; ++py) {
        for (int px = 0; px < vw; ++px) {
            int holders = 0;
            for (const ScreenRect& r : rects)
                holders += vx + px >= r.x && vx + px < r.x + r.width && vy + py >= r.y && vy + py < r.y + r.height;
            ASSERT_LE(holders, 1) << "pixel " << px << "," << py << " would be drawn twice";
            const double x = (px + 0.5) / vw * 2 - 1, y = (py + 0.5) / vh * 2 - 1;
            bool sees = false;
            for (double r : {0.0, card.maxShift / 3.0, double(card.maxShift)}) {
                for (int i = 0; i < 20 && !sees; ++i) {
                    const double dx = std::cos(i * 0.6283185307) * r, dy = std::sin(i * 0.6283185307) * r;
                    const double s = (x - dx - card.left) / (card.right - card.left);
                    const double t = (card.top - (y - dy)) / (card.top - card.bottom);
                    if (s < 0 || s > 1 || t < 0 || t > 1)
                        continue;
                    for (int level = 0; level <= deepestLevel && !sees; ++level)
                        sees = samplesAlpha(alpha, level, s, t);
                }
            }
            if (sees) {
                ++needed;
                ASSERT_EQ(holders, 1) << "pixel " << px << "," << py << " can show the card but is cut away";
            }
        }
    }
    EXPECT_GT(needed, 0);
    for (const ScreenRect& r : rects)
        EXPECT_TRUE(r.x >= vx && r.y >= vy && r.x + r.width <= vx + vw && r.y + r.height <= vy + vh);
}

}  // namespace

TEST(BoardRegions, ATransparentCardOrAnEmptyViewportNeedsNoDrawing)
{
    EXPECT_TRUE(boardRegions(transparent(64, 32), CARD, 0, 0, 1024, 768).empty());
    ImageAlpha opaque = transparent(8, 8);
    opaque.values.assign(64, 255);
    EXPECT_TRUE(boardRegions(opaque, CARD, 0, 0, 0, 0).empty());
    opaque.values.resize(10);  // fewer values than the size claims: treated as nothing to draw
    EXPECT_TRUE(boardRegions(opaque, CARD, 0, 0, 1024, 768).empty());
}

TEST(BoardRegions, EveryPixelThatCanSeeAlphaIsDrawnExactlyOnce)
{
    // A text-like bar and dots on every edge (seen across the wrap on the far side), at the card's
    // own scale (slightly minified: levels 0 and 1) and in an offset viewport.
    ImageAlpha bar = transparent(256, 128);
    for (int y = 60; y < 75; ++y)
        for (int x = 40; x < 200; x += 3)
            bar.values[y * 256 + x] = 200;
    expectCovered(bar, 7, 5, 256, 192, 1);

    ImageAlpha edges = transparent(256, 128);
    edges.values[0] = 255;
    edges.values[64 * 256 + 255] = 255;
    edges.values[127 * 256 + 30] = 255;
    expectCovered(edges, 0, 0, 256, 192, 1);

    // A ring that has shrunk, as on later cards: narrower margins (test_screen.cpp sees the drawn
    // area shrink), still every pixel.
    CardPlacement still = CARD;
    still.maxShift = 0.0025f;
    expectCovered(bar, 0, 0, 256, 192, 1, still);

    // Single texels on an odd spacing, so that their margins end at many offsets within a screen
    // cell: near 1:1, and at about a quarter of the image's size (levels 2 and 3).
    expectCovered(scattered(256, 128, 23), 0, 0, 256, 192, 1);
    expectCovered(scattered(1024, 512, 91), 0, 0, 256, 192, 3);

    // An odd-sized image, magnified (level 0 only).
    ImageAlpha odd = transparent(37, 21);
    odd.values[10 * 37 + 18] = 9;
    expectCovered(odd, 0, 0, 160, 120, 0);
}

// The reach follows the mip levels a card's size on screen makes trilinear filtering read: a
// 1024-wide card on 973 pixels reads levels 0 and 1 (reach 3 texels), on a quarter of that levels 2
// and 3 (12); magnified, only level 0 (1.5); a card just a quarter level short of 2:1 is allowed
// level 2 as well; an image that must be rescaled to a power of two reaches one texel further.
TEST(BoardRegions, ReachGrowsWithTheMipLevelsTheCardsSizeOnScreenReads)
{
    const ImageAlpha card = transparent(1024, 512);
    EXPECT_DOUBLE_EQ(filterReach(card, CARD, 1024, 768), 3.0);
    EXPECT_DOUBLE_EQ(filterReach(card, CARD, 256, 192), 12.0);
    EXPECT_DOUBLE_EQ(filterReach(card, CARD, 2048, 1536), 1.5);
    EXPECT_DOUBLE_EQ(filterReach(card, CARD, 600, 450), 6.0);  // 1024 texels on 570 pixels: lod 0.85
    EXPECT_DOUBLE_EQ(filterReach(transparent(1000, 500), CARD, 1024, 768), 2.5);  // rescaled to 512 x 256, magnified
}
