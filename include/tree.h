// tree.h -- a three-way branching line tree grown once from three branch transforms.
#pragma once

#include <vector>

#include "matrix.h"

class Tree {
public:
    // Grows the whole tree (seven levels) from the trunk, the unit segment from (0, 0, 0) to (0, 1, 0).
    // Each branch matrix maps a parent segment's space to a child's. Every tip draws one random15()
    // value, 3^7 in all; a value of 1 modulo 20 adds a leaf point, in scene space, to *leaves.
    Tree(Matrix a, Matrix b, Matrix c, Vec3 position, float scale, std::vector<Vec3>* leaves);

    // Draws the segments grown by `growth` levels (the trunk during 0..1, level L during L..L+1),
    // translated to the position and scaled, in the caller's colour and blending. Negative: no GL calls.
    void draw(float growth) const;

    int segmentCount() const { return static_cast<int>(levels.size()); }

    static constexpr int levelCount = 7;         // trunk plus six levels of branches
    static constexpr int fullSegmentCount = 1093;  // 1 + 3 + 9 + ... + 3^6
    static constexpr int tipCount = 2187;          // 3^7 depth-0 calls, one random15() each

private:
    void grow(const Matrix& transform, const Matrix& a, const Matrix& b, const Matrix& c, int depth,
              std::vector<Vec3>* leaves);

    std::vector<Vec3> points;  // tree space: segment k runs from points[2k] to points[2k + 1]
    std::vector<int> levels;   // level of segment k: 0 for the trunk, 6 for the finest twigs
    Vec3 position;             // scene space: the tree's base
    float scale;               // uniform size factor of the whole tree
};
