// test_viewvolume.cpp -- which points a renderer may need to clip, and which spheres it cannot show.
#include <gtest/gtest.h>

#include "viewvolume.h"

namespace {
// A 90-degree square frustum from z = -1 to z = -100, as gluPerspective(90, 1, 1, 100) makes it
// (column-major): at distance d in front of the eye it spans -d..d in x and y.
const float FRUSTUM[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0f / 99, -1, 0, 0, -200.0f / 99, 0};
const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

TEST(ViewVolume, HoldsWellOnlyPointsInsideByAMarginAndMissesOnlySpheresWhollyBeyondOnePlane)
{
    const ViewVolume view(IDENTITY, FRUSTUM);
    EXPECT_TRUE(view.holdsWell({0, 0, -10}));
    EXPECT_TRUE(view.holdsWell({9.8f, -9.8f, -10}));
    EXPECT_FALSE(view.holdsWell({9.95f, 0, -10}));  // inside, but within the margin of the side
    EXPECT_FALSE(view.holdsWell({0, 10.5f, -10}));
    EXPECT_FALSE(view.holdsWell({0, 0, -0.5f}));    // before the near plane
    EXPECT_FALSE(view.holdsWell({0, 0, -150}));     // beyond the far plane
    EXPECT_FALSE(view.holdsWell({0, 0, 10}));       // behind the eye, where w is negative

    // Points are in the model-view's model space: moved 10 units away, the origin is well inside.
    const float away[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -10, 1};
    EXPECT_TRUE(ViewVolume(away, FRUSTUM).holdsWell({0, 0, 0}));

    // Spheres are missed only when wholly beyond one plane.
    EXPECT_TRUE(view.misses({0, 0, 5}, 1));        // behind the eye
    EXPECT_FALSE(view.misses({0, 0, -0.5f}, 1));   // through the near plane
    // 12 units right at distance 10: sqrt(2) units beyond the right side.
    EXPECT_TRUE(view.misses({12, 0, -10}, 1.3f));
    EXPECT_FALSE(view.misses({12, 0, -10}, 1.5f));
    EXPECT_TRUE(view.misses({0, 0, -103}, 2));     // beyond the far plane
    EXPECT_FALSE(view.misses({0, 0, -50}, 0));

    // A model space scaled by a half, 10 units away: a sphere at model x = 22 sits 11 units right,
    // 0.71 eye units beyond the side, and its radius counts at half.
    const float half[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, -10, 1};
    EXPECT_TRUE(ViewVolume(half, FRUSTUM).misses({22, 0, 0}, 1.3f));
    EXPECT_FALSE(ViewVolume(half, FRUSTUM).misses({22, 0, 0}, 1.5f));
}
