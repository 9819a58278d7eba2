// tree.cpp -- recursive growth of a three-way branching tree and its level-by-level line drawing.
#include "tree.h"

#include "gl.h"
#include "random.h"
#include "screen.h"

Tree::Tree(Matrix a, Matrix b, Matrix c, Vec3 position, float scale, std::vector<Vec3>* leaves)
    : position(position), scale(scale)
{
    points.reserve(2 * fullSegmentCount);
    levels.reserve(fullSegmentCount);
    grow(Matrix::identity(), a, b, c, levelCount, leaves);
}

void Tree::grow(const Matrix& transform, const Matrix& a, const Matrix& b, const Matrix& c, int depth,
                std::vector<Vec3>* leaves)
{
    if (depth == 0) {
        // One draw per tip, leaf or not, so every tree consumes the same stretch of the sequence.
        if (random15() % 20 == 1) {
            const Vec3 tip = transform * Vec3{0.0f, 0.5f, 0.0f};
            leaves->push_back(Vec3{position.x + scale * tip.x, position.y + scale * tip.y, position.z + scale * tip.z});
        }
        return;
    }
    points.push_back(transform * Vec3{0.0f, 0.0f, 0.0f});
    points.push_back(transform * Vec3{0.0f, 1.0f, 0.0f});
    levels.push_back(levelCount - depth);

    // The branch matrix on the left: which tips get which random values depends on this order.
    grow(a * transform, a, b, c, depth - 1, leaves);
    grow(b * transform, a, b, c, depth - 1, leaves);
    grow(c * transform, a, b, c, depth - 1, leaves);
}

void Tree::draw(float growth) const
{
    if (growth < 0.0f)
        return;
    // Anything from the last level's end on is the whole tree; the cap keeps the conversion in range.
    const int grownLevels = growth >= levelCount ? levelCount : static_cast<int>(growth);
    const float partial = growth - grownLevels;

    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glScalef(scale, scale, scale);
    float batchWidth = 0.0f;  // pixels of the 768-high layout; no real width, so the first segment starts a batch
    glBegin(GL_LINES);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            const int level = levels[k];
            if (level > grownLevels)
                continue;
            const float width = level == 0 ? 5.0f : level == 1 ? 4.0f : 2.0f;
            if (width != batchWidth) {
                glEnd();
                lineWidth(width);
                glBegin(GL_LINES);
                batchWidth = width;
            }
            const Vec3& start = points[2 * k];
            const Vec3& end = points[2 * k + 1];
            glVertex3f(start.x, start.y, start.z);
            if (level == grownLevels)
                glVertex3f(start.x + partial * (end.x - start.x), start.y + partial * (end.y - start.y),
                           start.z + partial * (end.z - start.z));
            else
                glVertex3f(end.x, end.y, end.z);
        }
    glEnd();
    glPopMatrix();
}
