// test_tree.cpp -- a tree drawn level by level: partial segments, line widths, nothing when negative.
#include <gtest/gtest.h>

#include <vector>

#include "glrecorder.h"
#include "tree.h"

namespace {
struct TreeDrawing : ::testing::Test {
    TreeDrawing()
        : tree(Matrix::translation(0, 1, 0) * Matrix(Scale, 0.7f) * Matrix(RotateX, 0.6f),
               Matrix::translation(0, 0.9f, 0) * Matrix(Scale, 0.65f) * Matrix(RotateZ, 0.6f),
               Matrix::translation(0, 0.8f, 0) * Matrix(Scale, 0.6f) * Matrix(RotateX, -0.6f), Vec3{4, 2, 6}, 1.5f,
               &leaves)
    {
        glrec::reset();
    }

    // Each drawn segment with the line width its batch was drawn at.
    struct Line {
        float width;
        glrec::Vertex start, end;
    };
    static std::vector<Line> lines()
    {
        std::vector<Line> out;
        float width = 0;
        std::size_t batch = 0;
        for (const glrec::Call& call : glrec::calls()) {
            if (call.name == "glLineWidth")
                width = static_cast<float>(call.args[0]);
            if (call.name != "glBegin")
                continue;
            const std::vector<glrec::Vertex>& v = glrec::primitives()[batch++].vertices;
            for (std::size_t i = 0; i + 1 < v.size(); i += 2)
                out.push_back(Line{width, v[i], v[i + 1]});
        }
        return out;
    }

    std::vector<Vec3> leaves;
    Tree tree;
};
}

TEST_F(TreeDrawing, HalfGrownShowsTheLowerHalfOfTheTrunkFivePixelsWide)
{
    tree.draw(0.5f);
    const std::vector<Line> drawn = lines();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].width, 5.0f);
    EXPECT_FLOAT_EQ(drawn[0].start.y, 0.0f);
    EXPECT_FLOAT_EQ(drawn[0].end.y, 0.5f);
    // Placed and sized by the matrix, which it restores.
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{4, 2, 6}));
    EXPECT_EQ(glrec::callsNamed("glScalef").at(0).args, (std::vector<double>{1.5, 1.5, 1.5}));
    EXPECT_EQ(glrec::stackDepth(GL_MODELVIEW), 1);
}

TEST_F(TreeDrawing, GrowthOfOneShowsTheWholeTrunkAndZeroLengthFirstBranches)
{
    tree.draw(1.0f);
    const std::vector<Line> drawn = lines();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_FLOAT_EQ(drawn[0].end.y, 1.0f);
    for (std::size_t k = 1; k < 4; ++k) {
        EXPECT_EQ(drawn[k].width, 4.0f);
        EXPECT_FLOAT_EQ(drawn[k].start.x, drawn[k].end.x);
        EXPECT_FLOAT_EQ(drawn[k].start.y, drawn[k].end.y);
    }
}

TEST_F(TreeDrawing, FromSevenOnEverySegmentIsWholeAndNegativeDrawsNothing)
{
    for (float growth : {7.0f, 1e9f}) {
        glrec::reset();
        tree.draw(growth);
        int thin = 0;
        for (const Line& line : lines())
            thin += line.width == 2.0f;
        EXPECT_EQ(lines().size(), 1093u) << "growth " << growth;
        EXPECT_EQ(thin, 1093 - 1 - 3);
    }
    // The width changes only where it must: trunk, then each first branch and its twigs.
    EXPECT_EQ(glrec::count("glLineWidth"), 7u);

    glrec::reset();
    tree.draw(-0.01f);
    EXPECT_TRUE(glrec::calls().empty());
}
